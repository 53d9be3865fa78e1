#include "records/option_file.h"

namespace vq::option {
namespace {

constexpr const char* kTotalsPrefix = "Dernc ";
constexpr char kPlanFieldSeparator = '/';

}  // namespace

std::string filePath(const std::string& folder) {
    return folder + "/" + kFileName;
}

std::string totalsSection(std::string_view plan) {
    return std::string(kTotalsPrefix) + std::string(plan);
}

std::string joinPlanRecord(const std::vector<std::string>& fields) {
    std::string record;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            record += kPlanFieldSeparator;
        record += fields[i];
    }
    return record;
}

std::vector<std::string> splitPlanRecord(const std::string& record) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        std::size_t slash = record.find(kPlanFieldSeparator, start);
        fields.push_back(record.substr(start, slash - start));
        if (slash == std::string::npos)
            return fields;
        start = slash + 1;
    }
}

}  // namespace vq::option
