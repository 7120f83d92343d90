#pragma once
// Dialogs for tests: each call takes the next scripted answer of its kind (or a
// default: cancel, OK) and records what was shown.

#include "platform/Dialogs.h"

#include <deque>
#include <vector>

namespace kbltest {

struct ShownBox {
    QString text;
    QString caption; // empty for a plain message
    platform::BoxIcon icon = platform::BoxIcon::None;
};

class ScriptedDialogs final : public platform::Dialogs {
public:
    // The dialogs installed by the test main; reset() before each test that scripts.
    static ScriptedDialogs& instance();

    void reset();

    std::vector<ShownBox> boxes;            // every message and box, in order
    std::deque<std::optional<QString>> inputs;
    std::deque<std::optional<QString>> folders;
    std::deque<std::optional<QString>> files;
    std::deque<std::function<std::optional<QColor>(const QColor&, platform::CustomColors&)>> colors;
    std::deque<std::function<std::optional<QFont>(const QFont&, const std::function<void(const QFont&)>&)>> fonts;
    // Called while a message or box is "open", e.g. to check what the window shows then.
    std::function<void(const ShownBox&)> onBox;

    int inputCalls = 0, folderCalls = 0, fileCalls = 0, colorCalls = 0, fontCalls = 0;
    QString lastInputCaption, lastInputPrompt, lastFolderStart, lastFileFilter;

    void message(QWidget* owner, const QString& text) override;
    void box(QWidget* owner, const QString& text, const QString& caption, platform::BoxIcon icon) override;
    std::optional<QString> input(QWidget* owner, const QString& caption, const QString& prompt,
                                 const QString& initial) override;
    std::optional<QString> chooseFolder(QWidget* owner, const QString& start) override;
    std::optional<QString> openFile(QWidget* owner, const QString& caption, const QString& start,
                                    const QString& filter) override;
    std::optional<QColor> chooseColor(QWidget* owner, const QColor& initial,
                                      platform::CustomColors& customColors) override;
    std::optional<QFont> chooseFont(QWidget* owner, const QFont& initial,
                                    const std::function<void(const QFont&)>& onApply) override;
};

// Shorthand for ScriptedDialogs::instance().
inline ScriptedDialogs& dialogs() { return ScriptedDialogs::instance(); }

} // namespace kbltest
