#include "support/ScriptedDialogs.h"

namespace kbltest {

namespace {
template <typename T>
T takeNext(std::deque<T>& queue, T fallback)
{
    if (queue.empty())
        return fallback;
    std::swap(fallback, queue.front());
    queue.pop_front();
    return fallback;
}
} // namespace

ScriptedDialogs& ScriptedDialogs::instance()
{
    auto* scripted = dynamic_cast<ScriptedDialogs*>(&platform::dialogs());
    if (!scripted) {
        platform::setDialogs(std::make_unique<ScriptedDialogs>());
        scripted = static_cast<ScriptedDialogs*>(&platform::dialogs());
    }
    return *scripted;
}

void ScriptedDialogs::reset() { *this = ScriptedDialogs(); }

void ScriptedDialogs::message(QWidget*, const QString& text)
{
    boxes.push_back({text, QString(), platform::BoxIcon::None});
    if (onBox)
        onBox(boxes.back());
}

void ScriptedDialogs::box(QWidget*, const QString& text, const QString& caption, platform::BoxIcon icon)
{
    boxes.push_back({text, caption, icon});
    if (onBox)
        onBox(boxes.back());
}

std::optional<QString> ScriptedDialogs::input(QWidget*, const QString& caption, const QString& prompt,
                                              const QString&)
{
    ++inputCalls;
    lastInputCaption = caption;
    lastInputPrompt = prompt;
    return takeNext(inputs, std::optional<QString>());
}

std::optional<QString> ScriptedDialogs::chooseFolder(QWidget*, const QString& start)
{
    ++folderCalls;
    lastFolderStart = start;
    return takeNext(folders, std::optional<QString>());
}

std::optional<QString> ScriptedDialogs::openFile(QWidget*, const QString&, const QString&, const QString& filter)
{
    ++fileCalls;
    lastFileFilter = filter;
    return takeNext(files, std::optional<QString>());
}

std::optional<QColor> ScriptedDialogs::chooseColor(QWidget*, const QColor& initial,
                                                   platform::CustomColors& customColors)
{
    ++colorCalls;
    if (colors.empty())
        return std::nullopt;
    auto answer = takeNext(colors, {});
    return answer(initial, customColors);
}

std::optional<QFont> ScriptedDialogs::chooseFont(QWidget*, const QFont& initial,
                                                 const std::function<void(const QFont&)>& onApply)
{
    ++fontCalls;
    if (fonts.empty())
        return std::nullopt;
    auto answer = takeNext(fonts, {});
    return answer(initial, onApply);
}

} // namespace kbltest
