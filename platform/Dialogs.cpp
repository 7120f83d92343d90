#include "platform/Dialogs.h"

#include "platform/Colors.h"
#include "platform/Files.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace platform {

namespace {

QMessageBox::Icon toQtIcon(BoxIcon icon)
{
    switch (icon) {
    case BoxIcon::Information: return QMessageBox::Information;
    case BoxIcon::Warning: return QMessageBox::Warning;
    case BoxIcon::Error: return QMessageBox::Critical;
    case BoxIcon::Question: return QMessageBox::Question;
    case BoxIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

// "ColorA" .. "ColorP" hold at least six upper-case hex digits of 0x00BBGGRR;
// FFFFFFFF marks an entry without a colour.
constexpr quint32 NoCustomColor = 0xFFFFFFFFu;

void loadCustomColors(const CustomColors& lines, std::array<bool, 16>& unset)
{
    unset.fill(true);
    for (int i = 0; i < 16; ++i)
        QColorDialog::setCustomColor(i, Qt::white);
    for (const QString& line : lines) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq != 6 || !line.startsWith(QLatin1String("Color"), Qt::CaseInsensitive))
            continue;
        const int index = line.at(5).toUpper().unicode() - u'A';
        if (index < 0 || index >= 16)
            continue;
        bool ok = false;
        const quint32 value = line.mid(eq + 1).trimmed().toUInt(&ok, 16);
        if (!ok || value == NoCustomColor)
            continue;
        QColorDialog::setCustomColor(index, toQColor(qint32(value & 0xFFFFFF)));
        unset[index] = false;
    }
}

CustomColors storeCustomColors(const std::array<bool, 16>& unset)
{
    CustomColors lines;
    for (int i = 0; i < 16; ++i) {
        const QColor color = QColorDialog::customColor(i);
        const QString name = QStringLiteral("Color") + QChar(u'A' + i);
        if (unset[i] && color == QColor(Qt::white))
            lines << name + QStringLiteral("=FFFFFFFF");
        else
            lines << name + QStringLiteral("=%1").arg(quint32(fromQColor(color)), 6, 16, QChar(u'0')).toUpper();
    }
    return lines;
}

class QtDialogs final : public Dialogs {
public:
    void message(QWidget* owner, const QString& text) override
    {
        QMessageBox box(QMessageBox::NoIcon, applicationTitle(), displayName(text),
                        QMessageBox::Ok, owner);
        box.setTextFormat(Qt::PlainText); // a path holding "<b>" is still a path
        box.exec();
    }

    void box(QWidget* owner, const QString& text, const QString& caption, BoxIcon icon) override
    {
        QMessageBox box(toQtIcon(icon), caption, displayName(text), QMessageBox::Ok, owner);
        box.setTextFormat(Qt::PlainText);
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
        box.show();
        box.raise();
        box.activateWindow();
        box.exec();
    }

    std::optional<QString> input(QWidget* owner, const QString& caption, const QString& prompt,
                                 const QString& initial) override
    {
        bool ok = false;
        const QString text = QInputDialog::getText(owner, caption, prompt, QLineEdit::Normal, initial, &ok);
        if (!ok)
            return std::nullopt;
        return text;
    }

    std::optional<QString> chooseFolder(QWidget* owner, const QString& start) override
    {
        const QString folder = QFileDialog::getExistingDirectory(owner, QString(), start);
        if (folder.isEmpty())
            return std::nullopt;
        return folder;
    }

    std::optional<QString> openFile(QWidget* owner, const QString& caption, const QString& start,
                                    const QString& filter) override
    {
        const QString file = QFileDialog::getOpenFileName(owner, caption, start, filter);
        if (file.isEmpty())
            return std::nullopt;
        return file;
    }

    std::optional<QColor> chooseColor(QWidget* owner, const QColor& initial,
                                      CustomColors& customColors) override
    {
        std::array<bool, 16> unset{};
        loadCustomColors(customColors, unset);
        const QColor color = QColorDialog::getColor(initial, owner);
        customColors = storeCustomColors(unset);
        if (!color.isValid())
            return std::nullopt;
        return color;
    }

    std::optional<QFont> chooseFont(QWidget* owner, const QFont& initial,
                                    const std::function<void(const QFont&)>& onApply) override
    {
        QFontDialog dialog(initial, owner);
        dialog.setOption(QFontDialog::DontUseNativeDialog);
        if (auto* buttons = dialog.findChild<QDialogButtonBox*>()) {
            QPushButton* apply = buttons->addButton(QDialogButtonBox::Apply);
            QObject::connect(apply, &QPushButton::clicked, &dialog,
                             [&dialog, &onApply] { if (onApply) onApply(dialog.currentFont()); });
        }
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.selectedFont();
    }
};

QString& title()
{
    static QString text;
    return text;
}

std::unique_ptr<Dialogs>& current()
{
    static std::unique_ptr<Dialogs> instance;
    return instance;
}

} // namespace

void setApplicationTitle(const QString& text) { title() = text; }

QString applicationTitle()
{
    return title().isEmpty() ? QApplication::applicationName() : title();
}

std::unique_ptr<Dialogs> makeQtDialogs() { return std::make_unique<QtDialogs>(); }

Dialogs& dialogs()
{
    auto& instance = current();
    if (!instance)
        instance = makeQtDialogs();
    return *instance;
}

void setDialogs(std::unique_ptr<Dialogs> replacement) { current() = std::move(replacement); }

} // namespace platform
