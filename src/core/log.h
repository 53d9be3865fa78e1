#pragma once
// Where the logic reports what no window shows: a file it could not write. The program maps it to
// its logging categories; logic built without one is given Log::none().

#include <string>

namespace vq {

class Log {
public:
    // What a message is about; each topic is one logging category of the program.
    enum class Topic {
        Store,  // writes to "option.ini" and "tempo.ini"
    };

    virtual ~Log() = default;
    virtual void warning(Topic topic, const std::string& message) = 0;
    virtual void info(Topic topic, const std::string& message) = 0;

    // A log that drops every message (tests, and objects that have nothing to report to).
    static Log& none();
};

}  // namespace vq
