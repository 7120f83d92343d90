// The real windows in each language: every caption, hint, header, menu entry and status
// text is translated, and without a translation each shows the program's own text.
#include "app/Language.h"
#include "app/ProgramWindows.h"
#include "app/ReportList.h"
#include "app/StatusBar.h"
#include "catalogue/ScanRun.h"
#include "settings/IniFile.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTreeWidget>
#include <QXmlStreamReader>

#include <gtest/gtest.h>
#include <map>
#include <set>

namespace {

// Every text a user sees, keyed by where it is shown.
using Texts = std::map<QString, QString>;

void addText(Texts& texts, const QString& where, const QString& text)
{
    if (!text.isEmpty())
        texts[where] = text;
}

QString nameOf(const QObject* object)
{
    QString name;
    for (const QObject* o = object; o; o = o->parent())
        name.prepend(QLatin1Char('/') + (o->objectName().isEmpty() ? QLatin1String(o->metaObject()->className())
                                                                 : o->objectName()));
    return name;
}

void collect(Texts& texts, QWidget* window)
{
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets.prepend(window);
    // Unnamed siblings of one class are told apart by their place among their parent's children.
    std::map<QString, int> seen;
    const auto where = [&](const QObject* o, const char* what) {
        const QString base = nameOf(o) + QLatin1Char(':') + QLatin1String(what);
        const int n = seen[base]++;
        return n ? base + QLatin1Char('#') + QString::number(n) : base;
    };
    for (QWidget* w : widgets) {
        addText(texts, where(w, "title"), w->windowTitle());
        addText(texts, where(w, "tooltip"), w->toolTip());
        addText(texts, where(w, "statustip"), w->statusTip());
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            addText(texts, where(w, "text"), b->text());
        if (auto* l = qobject_cast<QLabel*>(w))
            addText(texts, where(w, "text"), l->text());
        if (auto* g = qobject_cast<QGroupBox*>(w))
            addText(texts, where(w, "group"), g->title());
        if (auto* e = qobject_cast<QLineEdit*>(w))
            addText(texts, where(w, "placeholder"), e->placeholderText());
        if (auto* m = qobject_cast<QMenu*>(w))
            addText(texts, where(w, "menu"), m->title());
        if (auto* c = qobject_cast<QComboBox*>(w))
            for (int i = 0; i < c->count(); ++i)
                addText(texts, where(w, "item"), c->itemText(i));
        if (auto* t = qobject_cast<QTreeWidget*>(w))
            for (int i = 0; i < t->columnCount(); ++i)
                addText(texts, where(w, "header"), t->headerItem()->text(i));
        if (auto* r = qobject_cast<ReportList*>(w))
            for (int i = 0; i < r->columnCount(); ++i)
                addText(texts, where(w, "header"), r->headerItem()->text(i));
    }
    for (QAction* a : window->findChildren<QAction*>()) {
        addText(texts, where(a, "action"), a->text());
        addText(texts, where(a, "actiontip"), a->statusTip());
    }
}

// Starts the program's windows in `language` with a saved list, so the status bar and the
// file panel's header carry their texts too.
Texts windowTexts(const QString& language)
{
    kbltest::ProgramFolder folder;
    QFile list(folder.file("projects.dat"));
    EXPECT_TRUE(list.open(QIODevice::WriteOnly));
    list.write("3\r\n0\r\nSorter\r\nSorter.exe\r\n/Tools/Sorter/Sorter.dpr\r\n");
    list.close();
    language::install(language);
    Texts texts;
    {
        ProgramWindows w = createProgramWindows();
        w.form1->lviewEnter();
        for (QWidget* window : {static_cast<QWidget*>(w.form1.get()), static_cast<QWidget*>(w.form2.get()),
                                static_cast<QWidget*>(w.form3.get()), static_cast<QWidget*>(w.form4.get())})
            collect(texts, window);
        for (int panel = 0; panel < 4; ++panel)
            addText(texts, QStringLiteral("status %1").arg(panel), w.form1->status->panelText(panel));
        addText(texts, QStringLiteral("scan completed"), ScanRun::completedText(2));
        addText(texts, QStringLiteral("scan stopped"), ScanRun::stoppedText(7));
        w.form1->close();
    }
    language::install(QString());
    return texts;
}

bool isCjk(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x2E80 && u <= 0x9FFF) || (u >= 0xF900 && u <= 0xFAFF) || (u >= 0xFE30 && u <= 0xFE4F)
           || (u >= 0xFF00 && u <= 0xFFEF) || c.isSurrogate();
}

bool hasCjk(const QString& text) { return std::any_of(text.begin(), text.end(), isCjk); }

// (source, translation) of every message of a translation file.
std::set<std::pair<QString, QString>> messages(const QString& file)
{
    std::set<std::pair<QString, QString>> pairs;
    QFile ts(QStringLiteral(KBL_SOURCE_DIR "/translations/") + file);
    EXPECT_TRUE(ts.open(QIODevice::ReadOnly)) << file.toStdString();
    QXmlStreamReader xml(&ts);
    QString source;
    while (xml.readNextStartElement() || !xml.atEnd()) {
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("source"))
            source = xml.readElementText();
        else if (xml.name() == QLatin1String("translation"))
            pairs.emplace(source, xml.readElementText());
    }
    return pairs;
}

class TranslationTest : public ::testing::Test {
protected:
    void SetUp() override { kbltest::dialogs().reset(); }
    void TearDown() override { language::install(QString()); }
};

TEST_F(TranslationTest, EnglishWindowsShowNoChineseText)
{
    const Texts texts = windowTexts(QStringLiteral("en"));
    ASSERT_GT(texts.size(), 120u); // the walk reached the four windows
    for (const auto& [where, text] : texts)
        EXPECT_FALSE(hasCjk(text)) << where.toStdString() << ": " << text.toStdString();
    EXPECT_EQ(texts.at(QStringLiteral("/TForm1/PanelTop/QToolButton:text")), "Set root");
    EXPECT_EQ(texts.at(QStringLiteral("/TForm2:title")), "Kestrabel options");
    EXPECT_EQ(texts.at(QStringLiteral("/TForm1/SplitterLodret/lviewFiles:header")), "Filename (main list)");
}

TEST_F(TranslationTest, SimplifiedChineseWindowsKeepNoTraditionalCharacter)
{
    // The characters of the program's captions whose Simplified form differs.
    const QString traditional = QStringLiteral(
        "來個儲刪動參啟單團執夾寫專尋徑態應掃擇數時標檔檢瀏熱當確稱組統線視覽設語譯資躍載輸這選錄門開隊隨雙離項須顏顯體簡");
    const Texts texts = windowTexts(QStringLiteral("zh_CN"));
    ASSERT_GT(texts.size(), 120u);
    for (const auto& [where, text] : texts)
        for (QChar c : text)
            EXPECT_FALSE(traditional.contains(c)) << where.toStdString() << ": " << text.toStdString();
    EXPECT_EQ(texts.at(QStringLiteral("/TForm1/PanelTop/QToolButton:text")), "设置目录");
    EXPECT_EQ(texts.at(QStringLiteral("/TForm3/QMenuBar/QMenu:menu")), "文件");
    EXPECT_EQ(texts.at(QStringLiteral("status 2")), "1 个项目");
}

TEST_F(TranslationTest, WithoutTranslationEveryTextIsTheProgramsOwn)
{
    const Texts own = windowTexts(QString());
    const Texts english = windowTexts(QStringLiteral("en"));
    const auto sources = messages(QStringLiteral("kestrabel_en.ts"));
    ASSERT_EQ(own.size(), english.size());
    for (const auto& [where, text] : own) {
        ASSERT_TRUE(english.count(where)) << where.toStdString();
        const QString& translated = english.at(where);
        // A text that changes with the language is one message's source, shown as it stands;
        // one that does not (a product name, a file suffix, a path) is no Chinese text.
        if (translated != text)
            EXPECT_TRUE(sources.count({text, translated})) << where.toStdString() << ": " << text.toStdString()
                                                           << " / " << translated.toStdString();
        else
            EXPECT_FALSE(hasCjk(text)) << where.toStdString() << ": " << text.toStdString();
    }
    EXPECT_EQ(own.at(QStringLiteral("/TForm1/PanelTop/QToolButton:text")), "設定目錄");
    EXPECT_EQ(own.at(QStringLiteral("/TForm2:title")), "Kestrabel 繁體中文介面翻譯：Kestrabel 團隊");
    EXPECT_EQ(own.at(QStringLiteral("/TForm4/lview:header")), "方法");
    EXPECT_EQ(own.at(QStringLiteral("scan completed")), " Scanning completed (2 projects excluded - see options)");
}

TEST_F(TranslationTest, TheOptionsDialogHoldsEveryLanguageInItsSize)
{
    // A caption wider than its place would be cut off: the dialog keeps its size, so a
    // translation may need no more room than the program's own texts.
    QSize own;
    for (const QString& language : {QString(), QStringLiteral("en"), QStringLiteral("zh_CN")}) {
        kbltest::ProgramFolder folder;
        language::install(language);
        ProgramWindows w = createProgramWindows();
        const QSize needed = w.form2->layout()->minimumSize();
        if (language.isEmpty())
            own = needed;
        EXPECT_LE(needed.width(), std::max(own.width(), 525)) << language.toStdString();
        EXPECT_LE(needed.height(), own.height()) << language.toStdString();
        w.form1->close();
    }
}

TEST_F(TranslationTest, TheOptionsDialogStoresTheLanguageOnlyWhenChanged)
{
    kbltest::ProgramFolder folder;
    ProgramWindows w = createProgramWindows();
    TForm2& f = *w.form2;
    // Following the locale, unchanged: the key stays away.
    f.ButOKClick();
    for (const QString& line : IniFile(folder.file("kbl.ini")).readSectionValues(QLatin1String(settings::options::Section)))
        EXPECT_FALSE(line.startsWith(QLatin1String("language="))) << line.toStdString();
    f.CBoxLanguage->setCurrentIndex(1);
    f.ButOKClick();
    EXPECT_EQ(IniFile(folder.file("kbl.ini")).read(settings::options::language), "en");
    // The dialog shows what is stored, and says when it counts.
    f.LoadOptions();
    EXPECT_EQ(f.CBoxLanguage->currentIndex(), 1);
    EXPECT_EQ(f.LabelLanguageRestart->text(), "下次啟動時生效");
    f.CBoxLanguage->setCurrentIndex(3);
    f.ButOKClick();
    EXPECT_EQ(IniFile(folder.file("kbl.ini")).read(settings::options::language), "zh_TW");
    f.CBoxLanguage->setCurrentIndex(0);
    f.ButOKClick();
    EXPECT_EQ(IniFile(folder.file("kbl.ini")).read(settings::options::language), "");
    w.form1->close();
}

} // namespace
