#include "engine/tempo_file.h"

#include "core/ini_store.h"

namespace vq::tempo {
namespace {

constexpr const char* kSection = "plantage";
constexpr const char* kFlagKey = "ouinon";
constexpr const char* kLengthKey = "tempspassé";
constexpr const char* kMonthTotalKey = "tempstotal";
constexpr const char* kAllowanceLeftKey = "tempsrestant";
constexpr const char* kDateKey = "date";
constexpr const char* kStartTimeKey = "heuredep";
constexpr const char* kAmountDueKey = "prix";

const char* flagText(ConnectionFlag flag) {
    switch (flag) {
        case ConnectionFlag::NoneOpen:
            return "1";
        case ConnectionFlag::Counting:
            return "2";
        case ConnectionFlag::EndedForUpdate:
            return "3";
    }
    return "1";
}

void setFigures(IniBatch& batch, const CrashFigures& f) {
    batch.set(kSection, kLengthKey, f.length);
    batch.set(kSection, kMonthTotalKey, f.monthTotal);
    batch.set(kSection, kAllowanceLeftKey, f.allowanceLeft);
    batch.set(kSection, kDateKey, f.date);
    batch.set(kSection, kStartTimeKey, f.startTime);
    batch.set(kSection, kAmountDueKey, f.amountDue);
}

}  // namespace

std::string filePath(const std::string& folder) {
    return folder + "/" + kFileName;
}

std::optional<ConnectionFlag> readFlag(const std::string& path) {
    const std::string text = lireini(kSection, kFlagKey, path);
    for (ConnectionFlag flag :
         {ConnectionFlag::NoneOpen, ConnectionFlag::Counting, ConnectionFlag::EndedForUpdate}) {
        if (text == flagText(flag))
            return flag;
    }
    return std::nullopt;
}

bool leftOpen(std::optional<ConnectionFlag> flag) {
    return flag == ConnectionFlag::Counting || flag == ConnectionFlag::EndedForUpdate;
}

CrashFigures readFigures(const std::string& path) {
    return CrashFigures{lireini(kSection, kLengthKey, path),        lireini(kSection, kMonthTotalKey, path),
                        lireini(kSection, kAllowanceLeftKey, path), lireini(kSection, kDateKey, path),
                        lireini(kSection, kStartTimeKey, path),     lireini(kSection, kAmountDueKey, path)};
}

bool writeFlag(const std::string& path, ConnectionFlag flag, const CrashFigures* figures) {
    IniBatch batch(path);
    if (figures)
        setFigures(batch, *figures);
    batch.set(kSection, kFlagKey, flagText(flag));
    return batch.commit();
}

bool writeFigures(const std::string& path, const CrashFigures& figures,
                  std::chrono::milliseconds flushEvery) {
    IniBatch batch(path);
    setFigures(batch, figures);
    return batch.commitDeferringFlush(flushEvery);
}

}  // namespace vq::tempo
