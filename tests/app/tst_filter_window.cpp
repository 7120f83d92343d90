// The filter field of the real main window: narrowing and ranking both lists, its keys,
// the count in the status bar, and the lists saved whole at the close.
#include "settings/IniFile.h"
#include "app/ProgramWindows.h"
#include "app/ProjectListDelegate.h"
#include "app/ProjectRows.h"
#include "app/ReportList.h"
#include "app/StatusBar.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"
#include "viewer/MatchPaint.h"
#include "catalogue/ProjectFilter.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

QByteArray listFile(const QList<ProjectEntry>& entries)
{
    QByteArray text = "3\r\n" + QByteArray::number(entries.size() - 1) + "\r\n";
    for (const ProjectEntry& e : entries)
        text += e.applicationName.toUtf8() + "\r\n" + e.executableName.toUtf8() + "\r\n" + e.projectPath.toUtf8() + "\r\n";
    return text;
}

QStringList names(const ReportList& list)
{
    QStringList texts;
    for (int i = 0; i < list.rowCount(); ++i)
        texts << list.text(i, 0);
    return texts;
}

// In the order the window sorts them (by name), so the close writes the same bytes back.
const QByteArray Projects = listFile({{"Alarm", "Alarm.exe", "/toys/Alarm.dpr"},
                                      {"Calendar", "", "/office/Calendar.dpr"},
                                      {"Clock", "Clock.exe", "/toys/clock/Clock.dpr"},
                                      {"Clockwork", "", "/games/Clockwork.dpr"},
                                      {"Ledger", "Ledger.exe", "/office/Ledger.dpr"},
                                      {"Tick", "", "/clock/Tick.dpr"}});
const QByteArray Favourites = listFile({{"Clock", "Clock.exe", "/toys/clock/Clock.dpr"},
                                        {"Ledger", "Ledger.exe", "/office/Ledger.dpr"}});

class FilterWindow : public ::testing::Test {
protected:
    kbltest::ProgramFolder program;
    ProgramWindows windows;

    void SetUp() override
    {
        kbltest::dialogs().reset();
        program.write("projects.dat", Projects);
        program.write("hotlist.dat", Favourites);
        IniFile(program.file("kbl.ini")).write(settings::options::EditRoot, QDir::tempPath() + "/no-such-root/");
    }
    void TearDown() override
    {
        if (windows.form1)
            windows.form1->close();
    }

    TForm1& start()
    {
        windows = createProgramWindows();
        TForm1& f = *windows.form1;
        QApplication::setActiveWindow(&f);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&f));
        return f;
    }

    // Keys typed into whatever has the focus, then the filtering they cause.
    static void type(TForm1& f, const QString& text)
    {
        QSignalSpy filtered(&f, &TForm1::filtered);
        QTest::keyClicks(QApplication::focusWidget(), text);
        if (filtered.isEmpty()) {
            ASSERT_TRUE(filtered.wait(3000));
        }
    }
    static void key(int k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(k), modifiers);
    }
};

} // namespace

TEST_F(FilterWindow, TypingNarrowsBothListsBestFirstAndEscBringsTheirOrderBack)
{
    IniFile(program.file("kbl.ini")).write(settings::form1::lviewLastSortedColumn, 2);
    TForm1& f = start();
    const QStringList mainOrder = names(*f.lview); // by path, ascending
    ASSERT_EQ(mainOrder, (QStringList{"Tick", "Clockwork", "Calendar", "Ledger", "Alarm", "Clock"}));
    const QStringList hotlistOrder = names(*f.lviewHotlist);
    EXPECT_EQ(f.status->panelText(2), "6 prjcts");

    f.lview->setFocus();
    key(Qt::Key_Slash); // "/" in a list goes to the field, not into it
    ASSERT_TRUE(f.EditFilter->hasFocus());
    EXPECT_EQ(f.EditFilter->text(), "");
    type(f, "clock");
    // Whole word first (shorter path first), then word start; Calendar has no o after c-l.
    EXPECT_EQ(names(*f.lview), (QStringList{"Tick", "Clock", "Clockwork"}));
    EXPECT_EQ(names(*f.lviewHotlist), QStringList{"Clock"});
    EXPECT_EQ(f.status->panelText(2), "3 / 6");
    // Another word narrows further; accents and case do not matter.
    type(f, " TÖYS");
    EXPECT_EQ(names(*f.lview), QStringList{"Clock"});
    EXPECT_EQ(f.status->panelText(2), "1 / 6");
    type(f, " zzz");
    EXPECT_EQ(f.lview->rowCount(), 0);
    EXPECT_EQ(f.status->panelText(2), "0 / 6");

    key(Qt::Key_Escape);
    EXPECT_EQ(f.EditFilter->text(), "");
    EXPECT_EQ(names(*f.lview), mainOrder);
    EXPECT_EQ(names(*f.lviewHotlist), hotlistOrder);
    EXPECT_EQ(f.status->panelText(2), "6 prjcts");
    EXPECT_TRUE(f.isVisible());
    // Esc with nothing typed closes the program, as it always did.
    QSignalSpy closed(&f, &TForm1::closed);
    key(Qt::Key_Escape);
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(program.read("projects.dat"), listFile({{"Tick", "", "/clock/Tick.dpr"},
                                                     {"Clockwork", "", "/games/Clockwork.dpr"},
                                                     {"Calendar", "", "/office/Calendar.dpr"},
                                                     {"Ledger", "Ledger.exe", "/office/Ledger.dpr"},
                                                     {"Alarm", "Alarm.exe", "/toys/Alarm.dpr"},
                                                     {"Clock", "Clock.exe", "/toys/clock/Clock.dpr"}}));
}

TEST_F(FilterWindow, TheCloseSavesEveryRowWhateverTheFieldHolds)
{
    TForm1& f = start();
    f.focusFilter();
    type(f, "ledger");
    ASSERT_EQ(names(*f.lview), QStringList{"Ledger"});
    // A header click sorts all rows, shown or not; the query keeps ranking what is shown.
    f.lviewColumnClick(0);
    EXPECT_EQ(names(*f.lview), QStringList{"Ledger"});
    f.lviewColumnClick(0);
    f.close();
    EXPECT_EQ(program.read("projects.dat"), Projects);
    EXPECT_EQ(program.read("hotlist.dat"), Favourites);
}

TEST_F(FilterWindow, DownMovesOntoTheBestRowAndTheListKeysStillWork)
{
    TForm1& f = start();
    key(Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(f.EditFilter->hasFocus());
    type(f, "clock");
    key(Qt::Key_Down);
    ASSERT_TRUE(f.lview->hasFocus());
    EXPECT_EQ(f.lview->selectedRow(), f.lview->row(0));
    // The key's release in the list refreshed the file panel for that row.
    EXPECT_EQ(f.LabelFuldSti->text(), f.LabelRoot->text() + "/clock/Tick.dpr");
    EXPECT_EQ(f.status->panelText(1), "1");
    key(Qt::Key_Down);
    EXPECT_EQ(f.lview->selectedRow()->text(0), "Clock");
    EXPECT_EQ(f.LabelFuldSti->text(), f.LabelRoot->text() + "/toys/clock/Clock.dpr");

    // "=" copies the row into the hotlist, where the query decides whether it shows.
    key(Qt::Key_Down);
    ASSERT_EQ(f.lview->selectedRow()->text(0), "Clockwork");
    key(Qt::Key_Equal);
    QCoreApplication::processEvents();
    EXPECT_EQ(names(*f.lviewHotlist), (QStringList{"Clock", "Clockwork"}));
    EXPECT_EQ(f.lviewHotlist->allRowCount(), 3);

    // Delete on a shown hotlist row removes that row only.
    f.lviewHotlist->setFocus();
    f.lviewHotlist->selectRow(f.lviewHotlist->row(0));
    key(Qt::Key_Delete);
    QCoreApplication::processEvents();
    EXPECT_EQ(names(*f.lviewHotlist), QStringList{"Clockwork"});

    key(Qt::Key_Escape);
    EXPECT_EQ(names(*f.lviewHotlist), (QStringList{"Clockwork", "Ledger"}));
    f.close();
    EXPECT_EQ(program.read("hotlist.dat"), listFile({{"Clockwork", "", "/games/Clockwork.dpr"},
                                                    {"Ledger", "Ledger.exe", "/office/Ledger.dpr"}}));
}

TEST_F(FilterWindow, AnEmptyFieldChangesNothingThatWasThere)
{
    program.write("projects.dat", QByteArray());
    TForm1& f = start();
    f.lview->clear();
    f.focusFilter();
    type(f, "x");
    EXPECT_EQ(f.status->panelText(2), "0 / 0");
    key(Qt::Key_Backspace);
    QSignalSpy filtered(&f, &TForm1::filtered);
    ASSERT_TRUE(filtered.wait(3000));
    // No count was shown before the query, so none is shown after it.
    EXPECT_EQ(f.status->panelText(2), "");
    // Blanks alone are no query.
    type(f, "   ");
    EXPECT_FALSE(f.isFiltering());
}

TEST_F(FilterWindow, RowsReplacedWhileTheFieldHasTheFocusAreTheOnesFiltered)
{
    TForm1& f = start();
    f.focusFilter(); // the rows are folded here, ahead of the first letter
    ASSERT_TRUE(f.EditFilter->hasFocus());
    // A scan run meanwhile: the old rows are deleted, new ones come.
    f.lview->clear();
    addProjectRow(*f.lview, {"Zeta", "", "/z/Zeta.dpr"});
    addProjectRow(*f.lview, {"Clockmaker", "", "/z/Clockmaker.dpr"});
    ASSERT_EQ(f.lview->text(1, 0), "Zeta");
    f.lview->setRowText(f.lview->row(1), 0, "Clockface"); // and a row renamed
    type(f, "clock");
    EXPECT_EQ(names(*f.lview), (QStringList{"Clockface", "Clockmaker"}));
    EXPECT_EQ(f.status->panelText(2), "2 / 2");
    f.clearFilter();
    EXPECT_EQ(f.lview->allRowCount(), 2);
}

TEST_F(FilterWindow, AScanWhileAQueryIsTypedShowsOnlyTheMatchingNewRows)
{
    QTemporaryDir tree;
    for (const char* path : {"a/Clock.dpr", "b/Radio.dpr", "c/Clockwork.dpr"}) {
        QDir().mkpath(QFileInfo(tree.filePath(path)).path());
        QFile file(tree.filePath(path));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("program X;\r\n");
    }
    IniFile(program.file("kbl.ini")).write(settings::options::EditRoot, tree.path() + "/");
    TForm1& f = start();
    f.focusFilter();
    type(f, "clock");
    f.SButScan->click();
    QElapsedTimer clock;
    clock.start();
    while (f.isScanning() && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_FALSE(f.isScanning());
    QCoreApplication::processEvents();
    EXPECT_EQ(f.lview->rowCount(), 2);
    EXPECT_EQ(f.lview->allRowCount(), 3);
    EXPECT_EQ(f.status->panelText(2), "2 / 3");
    f.clearFilter();
    EXPECT_EQ(f.lview->rowCount(), 3);
    EXPECT_EQ(f.status->panelText(2), "3 prjcts");
}

TEST(MatchPaint, MatchedCharactersAreDrawnBoldAndCutWithAnEllipsis)
{
    QImage plain(200, 20, QImage::Format_RGB32), marked(200, 20, QImage::Format_RGB32), narrow(40, 20, QImage::Format_RGB32);
    QFont font = QApplication::font();
    for (auto [image, bold] : {std::pair{&plain, std::vector<int>{}}, std::pair{&marked, std::vector<int>{0, 1, 2}},
                               std::pair{&narrow, std::vector<int>{0, 1, 2}}}) {
        image->fill(Qt::white);
        QPainter painter(image);
        viewer::drawMatchedText(painter, image->rect(), Qt::AlignLeft | Qt::AlignVCenter, "Clockwork", bold, font,
                                Qt::black);
    }
    EXPECT_NE(plain, marked);
    // A cell too narrow keeps its drawing inside the cell.
    QImage wide = marked.copy(0, 0, 40, 20);
    EXPECT_NE(narrow, wide); // the ellipsis takes the place of the cut letters
}

TEST(ProjectListDelegate, BoldMatchesKeepTheRowsIconAndForegroundColour)
{
    // Other parts of the window mark rows by their icon, colour and tool tip; a cell drawn
    // with bold matches must still show them.
    catalogue::FilterQuery query;
    ReportList list;
    list.setColumns({{"a", 200}, {"b", 80}});
    list.setItemDelegate(new ProjectListDelegate([&query] { return &query; }, &list));
    QPixmap blue(14, 14);
    blue.fill(QColor(0, 0, 255));
    list.setImages({QIcon(blue)});
    QTreeWidgetItem* row = list.addRow({"Clockwork", "Clock.exe"}, 0);
    row->setForeground(0, QColor(255, 0, 0));
    row->setForeground(1, QColor(255, 0, 0));
    row->setToolTip(1, "stale");
    list.resize(320, 120);
    list.show();

    const auto pixels = [&] {
        const QImage image = list.viewport()->grab().toImage();
        int red = 0, bluePixels = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                red += c.red() > 150 && c.green() < 90 && c.blue() < 90;
                bluePixels += c.blue() > 200 && c.red() < 40 && c.green() < 40;
            }
        return std::pair{red, bluePixels};
    };
    const auto [plainRed, plainBlue] = pixels();
    ASSERT_GT(plainRed, 0);
    ASSERT_GT(plainBlue, 0);
    query = catalogue::FilterQuery(u"clock");
    const auto [boldRed, boldBlue] = pixels();
    EXPECT_GT(boldRed, plainRed); // bold letters are heavier, in the row's own colour
    EXPECT_EQ(boldBlue, plainBlue);
    EXPECT_EQ(list.model()->index(0, 1).data(Qt::ToolTipRole).toString(), "stale");
}
