#include "core/log.h"

namespace vq {
namespace {

class NoLog final : public Log {
public:
    void warning(Topic, const std::string&) override {}
    void info(Topic, const std::string&) override {}
};

}  // namespace

Log& Log::none() {
    static NoLog log;  // holds nothing: every engine may share it
    return log;
}

}  // namespace vq
