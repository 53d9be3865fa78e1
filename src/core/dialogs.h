#pragma once
// The port through which logic asks questions and shows messages (message boxes), and asks where to
// save a file.

#include <optional>
#include <string>

namespace vq {

inline constexpr const char* kAppTitle = "Varlotte Qyr";

enum class DialogButtons { Ok, YesNo };
enum class DialogIcon { None, Stop, Question, Information, Exclamation };
enum class DialogAnswer { Ok, Yes, No };

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Shows a modal box and returns the button pressed. An empty title means kAppTitle.
    virtual DialogAnswer show(const std::string& text, const std::string& title, DialogButtons buttons,
                              DialogIcon icon) = 0;
    // Shows a box with an OK button and returns at once: the box stays open until the user closes
    // it, while the program goes on (a box that waited would hold every timer of the window).
    virtual void showWithoutWaiting(const std::string& text, const std::string& title, DialogIcon icon) = 0;
    // Asks for the path of a file to write, proposing `suggestedName`; nothing when the user cancels.
    // A program that never saves files keeps the default, which cancels.
    virtual std::optional<std::string> askSaveFileName(const std::string& /*title*/,
                                                       const std::string& /*suggestedName*/) {
        return std::nullopt;
    }
};

}  // namespace vq
