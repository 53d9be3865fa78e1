#pragma once
// The logic's log on Qt's logging categories ("varlotte.store"), so that a terminal and the
// session's journal show it and QT_LOGGING_RULES can silence it.

#include "core/log.h"

namespace vq {

class QtLog final : public Log {
public:
    void warning(Topic topic, const std::string& message) override;
    void info(Topic topic, const std::string& message) override;
};

}  // namespace vq
