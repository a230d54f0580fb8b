#pragma once
// Everything the core asks of a person goes through here, so tests can answer Yes or No and
// record what was shown. Texts keep their lone CR line breaks; only the window that shows them
// turns CR into a visible break. Message boxes carry no icon.

#include <optional>
#include <string>

namespace core {

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Modal message with a single OK button; returns when it is closed.
    virtual void message(const std::string& title, const std::string& text) = 0;

    // Modal Yes/No question; true only for Yes.
    virtual bool ask(const std::string& title, const std::string& text) = 0;

    // A message that does not block the caller (scheduled backups must not stop the timer). At
    // most one is on screen: a newer one replaces the one shown.
    virtual void notify(const std::string& title, const std::string& text) = 0;

    // Folder chooser: starts in startFolder, shows title and the instruction text; the chosen
    // folder (UTF-8, no trailing separator) or nullopt when the person cancelled.
    virtual std::optional<std::string> chooseFolder(const std::string& title, const std::string& startFolder,
                                                    const std::string& instruction) = 0;
};

} // namespace core
