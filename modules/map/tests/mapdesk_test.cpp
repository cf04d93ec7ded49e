#include <clocale>
#include <cmath>

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QMdiArea>
#include <QMouseEvent>
#include <QScrollArea>
#include <QTreeView>

#include "frame/promainframe.h"
#include "modules/map/binddialog.h"
#include "modules/map/cellimagedialog.h"
#include "modules/map/cellpropertydialog.h"
#include "modules/map/cellview.h"
#include "modules/map/downview.h"
#include "modules/map/picturefiles.h"
#include "modules/map/tests/mapfixture.h"
#include "modules/map/tpdoc.h"
#include "modules/map/tpframe.h"
#include "modules/map/tpview.h"
#include "services/types/tpinfoobj.h"

namespace {

TPInfoObj Record(const char *x, const char *y, const char *w, const char *h, const char *type = "")
{
    TPInfoObj record;
    record.set(TPInfoObj::ID, "c");
    record.set(TPInfoObj::PID, "1");
    record.set(TPInfoObj::X, x);
    record.set(TPInfoObj::Y, y);
    record.set(TPInfoObj::W, w);
    record.set(TPInfoObj::H, h);
    record.set(TPInfoObj::Type, type);
    return record;
}

const TPInfoObj *FindRecord(const std::vector<TPInfoObj> &records, const QString &id)
{
    for (const TPInfoObj &record : records) {
        if (record.get(TPInfoObj::ID) == id.toStdString())
            return &record;
    }
    return nullptr;
}

// Switches the C library and Qt to a locale that writes decimals with a comma.
class CommaLocale
{
public:
    CommaLocale() : m_previous(std::setlocale(LC_ALL, nullptr))
    {
        for (const char *name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8"}) {
            if (std::setlocale(LC_ALL, name)) {
                m_active = true;
                break;
            }
        }
        QLocale::setDefault(QLocale(QLocale::German));
    }
    ~CommaLocale()
    {
        std::setlocale(LC_ALL, m_previous.c_str());
        QLocale::setDefault(QLocale::c());
    }
    bool CLibraryUsesComma() const { return m_active; }

private:
    std::string m_previous;
    bool m_active = false;
};

} // namespace

TEST(CellRecord, CoordinatesAreReadAndWrittenWithAPointInAnyLocale)
{
    CommaLocale comma;
    CTPCell cell;
    ASSERT_EQ(cell.Read(Record("12.5", " 7", "48.000000", "1e2", "")), CTPCell::ReadResult::Exact);
    EXPECT_EQ(cell.m_rect, QRectF(12.5, 7, 48, 100));
    EXPECT_EQ(cell.m_kind, CTPCell::StatusCell) << "an empty Type is a status cell";
    EXPECT_TRUE(cell.m_stored);
    EXPECT_FALSE(cell.m_changed);

    cell.m_rect = QRectF(0.1, 1234.25, 3.333333333, 40);
    cell.m_kind = CTPCell::ControlCell;
    TPInfoObj written;
    cell.Write(written);
    EXPECT_EQ(written.get(TPInfoObj::X), "0.100000");
    EXPECT_EQ(written.get(TPInfoObj::Y), "1234.250000");
    EXPECT_EQ(written.get(TPInfoObj::W), "3.333333");
    EXPECT_EQ(written.get(TPInfoObj::Type), "1");
    CTPCell back;
    ASSERT_EQ(back.Read(written), CTPCell::ReadResult::Exact);
    EXPECT_EQ(back.m_rect.y(), 1234.25);
    EXPECT_EQ(back.m_kind, CTPCell::ControlCell);
}

TEST(CellRecord, DamagedCoordinatesAreClampedOrTheCellRejected)
{
    CTPCell cell;
    for (const char *bad : {"nan", "inf", "-inf", "1e999", "abc", "12,5", "", "3 4"})
        EXPECT_EQ(cell.Read(Record(bad, "0", "10", "10")), CTPCell::ReadResult::Rejected) << bad;
    ASSERT_EQ(cell.Read(Record("-5", "10", "0", "1e9")), CTPCell::ReadResult::Adjusted);
    EXPECT_EQ(cell.m_rect, QRectF(0, 10, 1, CTPCell::MaxCoordinate));
    EXPECT_TRUE(cell.m_changed) << "a corrected cell is saved back corrected";
}

TEST(PictureFiles, OnlyPlainImageFileNames)
{
    for (const char *bad : {"", ".", "..", "../x.jpg", "a/b.jpg", "a\\b.jpg", "c:x.jpg"})
        EXPECT_FALSE(PictureFiles::IsPlainName(QString::fromUtf8(bad))) << bad;
    EXPECT_TRUE(PictureFiles::IsPlainName(QStringLiteral("北京机房.jpg")));

    WorkingDirectory dir;
    QDir().mkdir(QStringLiteral("UserImage"));
    QImage(4, 4, QImage::Format_RGB32).save(QStringLiteral("UserImage/b.JPG"));
    QImage(4, 4, QImage::Format_RGB32).save(QStringLiteral("UserImage/a.bmp"), "BMP");
    QFile notes(QStringLiteral("UserImage/notes.txt"));
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    QDir().mkdir(QStringLiteral("UserImage/sub.jpg"));
    EXPECT_EQ(PictureFiles::ImageNames(PictureFiles::UserImageFolder),
              (QStringList{QStringLiteral("a.bmp"), QStringLiteral("b.JPG")}));
}

TEST_F(MapFixture, OpensTheTopPictureEntersASubPictureAndGoesBack)
{
    CTPDoc *doc = Doc();
    EXPECT_EQ(doc->Pid(), QStringLiteral("1"));
    EXPECT_EQ(doc->BackgroundPicture().Size(), QSize(800, 600));
    ASSERT_EQ(doc->Cells().size(), 2u);
    const std::string beijing = ElementId("北京数据中心");
    CTPCell *bj = CellBoundTo(beijing);
    ASSERT_NE(bj, nullptr);
    EXPECT_EQ(bj->m_rect, QRectF(120, 160, 48, 48));
    EXPECT_GE(bj->m_state, 0);
    ASSERT_NE(Frame()->View()->ViewOf(bj), nullptr);
    EXPECT_EQ(Frame()->View()->ViewOf(bj)->geometry(), QRect(120, 160, 48, 48));

    // Without its background the sub-picture still opens, on a canvas that holds its cells.
    ASSERT_TRUE(QFile::remove(QStringLiteral("UserImage/北京机房.jpg")));
    ClearRequests();
    ASSERT_TRUE(doc->EnterSubPicture(bj));
    EXPECT_EQ(doc->Background(), QStringLiteral("北京机房.jpg"));
    EXPECT_EQ(doc->Cells().size(), 3u);
    ASSERT_EQ(app->messages.size(), 1);
    EXPECT_TRUE(app->messages.takeFirst().startsWith(QStringLiteral("Load ")));
    for (const auto &cell : doc->Cells())
        EXPECT_TRUE(Frame()->View()->rect().contains(Frame()->View()->ViewOf(cell.get())->geometry()));
    // One state call per distinct bound element, nothing for the empty image.
    EXPECT_EQ(RequestCount("findTPInfoArrayByPID"), 1);
    EXPECT_EQ(RequestCount("selectElementObj"), 3);

    CTPCell leaf = *doc->Cells().front();
    EXPECT_FALSE(doc->EnterSubPicture(&leaf)) << "a cell without a sub-picture opens nothing";
    EXPECT_EQ(doc->Background(), QStringLiteral("北京机房.jpg"));
    leaf.m_image = QStringLiteral("../../etc/passwd");
    EXPECT_FALSE(doc->EnterSubPicture(&leaf));

    ASSERT_TRUE(doc->GoBack());
    EXPECT_EQ(doc->Pid(), QStringLiteral("1"));
    EXPECT_FALSE(doc->CanGoBack());
    EXPECT_TRUE(app->messages.size() == 1 && app->messages.first().contains(QStringLiteral("无效")))
        << Messages().toStdString();
}

TEST_F(MapFixture, DrawBindSaveDeleteReachTheServer)
{
    CTPDoc *doc = Doc();
    CTPView *view = Frame()->View();
    const std::string router = ElementId("核心路由器(127.0.0.2)");
    doc->SetEditMode(CTPDoc::DrawMode);
    view->SetDialogRunner([](QDialog &dialog) {
        if (auto *properties = qobject_cast<CCellPropertyDialog *>(&dialog)) {
            properties->KindBox()->setCurrentIndex(1);
            return properties->SelectImage(QStringLiteral("上海机房.jpg"));
        }
        return false;
    });
    EXPECT_EQ(view->DrawCell({300, 300}, {300, 301}), nullptr) << "a click makes no cell";
    // Dragged up and left, at zoom 1.4.
    doc->ZoomIn();
    doc->ZoomIn();
    CTPCell *cell = view->DrawCell({370, 440}, {300, 300});
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(view->ViewOf(cell)->geometry(), QRect(300, 300, 70, 140));
    EXPECT_NEAR(cell->m_rect.x(), 300 / 1.4, 1e-9);
    EXPECT_NEAR(cell->m_rect.height(), 100, 1e-9);
    EXPECT_TRUE(doc->IsModified());

    ClearRequests();
    view->SetDialogRunner([&](QDialog &dialog) {
        auto *bind = qobject_cast<CBindDialog *>(&dialog);
        return bind && bind->Choose(QString::fromStdString(router)) && bind->Check().isEmpty();
    });
    view->BindElement(view->ViewOf(cell));
    EXPECT_EQ(cell->m_mid.toStdString(), router);
    EXPECT_EQ(RequestCount("updateTPInfo"), 0) << "an unsaved cell is bound locally";
    EXPECT_GE(cell->m_state, 0);

    ClearRequests();
    ASSERT_TRUE(doc->Save());
    EXPECT_EQ(Requests(), std::vector<std::string>{"addTPInfo"}) << "only the new cell is sent";
    EXPECT_EQ(app->messages.last(), QStringLiteral("数据保存完毕!"));
    const auto stored = StoredCells("1");
    const TPInfoObj *record = FindRecord(stored, cell->m_id);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->get(TPInfoObj::MID), router);
    EXPECT_EQ(record->get(TPInfoObj::Type), "1");
    EXPECT_EQ(record->get(TPInfoObj::H), "100.000000");

    ClearRequests();
    ASSERT_TRUE(doc->Save());
    EXPECT_TRUE(Requests().empty()) << "an unchanged picture sends nothing";

    // Reopened, the cell is where it was drawn; binding a stored cell sends its kind.
    const QString id = cell->m_id;
    ASSERT_TRUE(doc->OpenPicture(doc->Background(), doc->Pid()));
    cell = doc->FindCell(id);
    ASSERT_NE(cell, nullptr);
    EXPECT_NEAR(cell->m_rect.y(), 300 / 1.4, 1e-6);
    const std::string web = ElementId("Web服务器(127.0.0.1)");
    ASSERT_TRUE(doc->BindCell(cell, QString::fromStdString(web)));
    EXPECT_FALSE(doc->IsModified());
    const auto rebound = StoredCells("1");
    record = FindRecord(rebound, id);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->get(TPInfoObj::MID), web);
    EXPECT_EQ(record->get(TPInfoObj::Type), "1") << "the control cell stays a control cell";

    // Delete: the cell first, then its sub-picture; the question is asked first.
    ClearRequests();
    app->answer = true;
    view->Notify(CCellView::DeleteCell, view->ViewOf(cell));
    EXPECT_NE(doc->FindCell(id), nullptr) << "never inside the cell's own handler";
    QCoreApplication::processEvents();
    EXPECT_EQ(app->questions.last(), QStringLiteral("确定要删除此元件吗?"));
    EXPECT_EQ(Requests(), (std::vector<std::string>{"deleteTPInfo", "deleteTPInfoArrayByPID"}));
    EXPECT_EQ(doc->FindCell(id), nullptr);
    EXPECT_EQ(FindRecord(StoredCells("1"), id), nullptr);
}

TEST_F(MapFixture, RefusedSaveStopsKeepsTheChangesAndSaysNoSuccess)
{
    CTPDoc *doc = Doc();
    ASSERT_TRUE(doc->EnterSubPicture(CellBoundTo(ElementId("北京数据中心"))));
    const std::string pid = doc->Pid().toStdString();
    ASSERT_EQ(doc->Cells().size(), 3u);
    for (const auto &cell : doc->Cells())
        doc->SetCellGeometry(cell.get(), cell->m_rect.translated(10, 0));

    Refuse("updateTPInfo", 2);
    app->messages.clear();
    ClearRequests();
    EXPECT_FALSE(doc->Save());
    EXPECT_EQ(Requests(), (std::vector<std::string>{"updateTPInfo", "updateTPInfo"})) << "stops at the first refusal";
    EXPECT_TRUE(doc->IsModified());
    ASSERT_EQ(app->messages.size(), 1);
    EXPECT_NE(app->messages.first(), QStringLiteral("数据保存完毕!"));
    const auto stored = StoredCells(pid);
    EXPECT_EQ(FindRecord(stored, doc->Cells()[0]->m_id)->get(TPInfoObj::X), "90.000000");
    EXPECT_EQ(FindRecord(stored, doc->Cells()[1]->m_id)->get(TPInfoObj::X), "240.000000");

    // Then the rest goes; a cell the server lost is added again.
    StopRefusing();
    ASSERT_TRUE(direct->callText("TPService", "deleteTPInfo", {doc->Cells()[2]->m_id.toStdString()}).succeeded());
    ClearRequests();
    ASSERT_TRUE(doc->Save()) << Messages().toStdString();
    EXPECT_EQ(Requests(), (std::vector<std::string>{"updateTPInfo", "updateTPInfo", "addTPInfo"}));
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(StoredCells(pid).size(), 3u);
}

TEST_F(MapFixture, RefusedDeleteKeepsTheCellAndAFailedLoadCannotBeSaved)
{
    CTPDoc *doc = Doc();
    CTPCell *cell = CellBoundTo(ElementId("上海分部"));
    const QString id = cell->m_id;
    Refuse("deleteTPInfo");
    EXPECT_FALSE(doc->DeleteCell(cell));
    EXPECT_NE(doc->FindCell(id), nullptr);
    EXPECT_NE(FindRecord(StoredCells("1"), id), nullptr);
    // The cell itself went; emptying its sub-picture failed: the picture follows the server.
    Refuse("deleteTPInfoArrayByPID");
    EXPECT_TRUE(doc->DeleteCell(cell));
    EXPECT_EQ(doc->FindCell(id), nullptr);
    EXPECT_EQ(FindRecord(StoredCells("1"), id), nullptr);

    Refuse("findTPInfoArrayByPID");
    EXPECT_FALSE(doc->OpenPicture(doc->Background(), doc->Pid()));
    EXPECT_FALSE(doc->IsLoaded());
    EXPECT_EQ(doc->AddCell(QRectF(0, 0, 10, 10), 0, {}), nullptr);
    ClearRequests();
    EXPECT_FALSE(doc->Save());
    EXPECT_TRUE(Requests().empty());
    EXPECT_FALSE(Frame()->Command(CTPFrame::SavePicture)->isEnabled());
    EXPECT_EQ(StoredCells("1").size(), 1u) << "the stored picture is untouched";
}

TEST_F(MapFixture, UnsavedChangesAreAskedAboutOnEveryPath)
{
    CTPDoc *doc = Doc();
    CTPCell *bj = CellBoundTo(ElementId("北京数据中心"));
    const QString bjId = bj->m_id;
    const QString question = QStringLiteral("元件信息已经改变,要保存当前信息吗?");
    const auto change = [&] { doc->SetCellGeometry(doc->FindCell(bjId), doc->FindCell(bjId)->m_rect.translated(0, 5)); };

    // Cancel (no save, then no drop) stays everywhere.
    change();
    app->answer = false;
    EXPECT_FALSE(doc->EnterSubPicture(doc->FindCell(bjId)));
    EXPECT_FALSE(doc->Reload());
    EXPECT_FALSE(Frame()->close());
    app->answers = {true}; // yes to the exit question, then cancel
    EXPECT_FALSE(app->GetMainFrame()->close()) << "exit";
    EXPECT_EQ(doc->Pid(), QStringLiteral("1"));
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(app->questions.count(question), 4);

    // Save on the way into a sub-picture; a refused save stays.
    Refuse("updateTPInfo");
    app->answers = {true};
    EXPECT_FALSE(doc->EnterSubPicture(doc->FindCell(bjId)));
    EXPECT_EQ(doc->Pid(), QStringLiteral("1"));
    StopRefusing();
    app->answers = {true};
    ASSERT_TRUE(doc->EnterSubPicture(doc->FindCell(bjId)));
    const auto saved = StoredCells("1");
    ASSERT_NE(FindRecord(saved, bjId), nullptr);
    EXPECT_EQ(FindRecord(saved, bjId)->get(TPInfoObj::Y), "165.000000");

    // Drop on the way back: nothing is sent.
    doc->SetCellGeometry(doc->Cells().front().get(), QRectF(1, 1, 20, 20));
    app->answers = {false, true};
    ClearRequests();
    ASSERT_TRUE(doc->GoBack());
    EXPECT_EQ(RequestCount("updateTPInfo"), 0);
    EXPECT_FALSE(doc->IsModified());
}

TEST_F(MapFixture, DamagedRecordsFromTheServerGiveOneMessage)
{
    CTPDoc *doc = Doc();
    int n = 0;
    for (auto [x, w] : {std::pair{"abc", "10"}, std::pair{"nan", "10"}, std::pair{"-5", "1e12"}}) {
        TPInfoObj record = Record(x, "10", w, "10", "0");
        record.set(TPInfoObj::ID, "damaged-" + std::to_string(n++));
        ASSERT_TRUE(direct->call("TPService", "addTPInfo", {&record}).succeeded());
    }
    ASSERT_TRUE(doc->OpenPicture(doc->Background(), doc->Pid()));
    EXPECT_EQ(app->messages.size(), 1) << Messages().toStdString();
    ASSERT_EQ(doc->Cells().size(), 3u) << "two unreadable cells are left out";
    const CTPCell *clamped = doc->FindCell(QStringLiteral("damaged-2"));
    ASSERT_NE(clamped, nullptr);
    EXPECT_EQ(clamped->m_rect, QRectF(0, 10, CTPCell::MaxCoordinate, 10));
    EXPECT_TRUE(doc->IsModified()) << "the corrected cell waits to be saved";
}

TEST_F(MapFixture, ZoomStepsAndPaintTimeScaling)
{
    CTPDoc *doc = Doc();
    for (int i = 0; i < 10; ++i)
        doc->ZoomOut();
    EXPECT_EQ(doc->Zoom(), 0.2);
    for (int i = 0; i < 40; ++i)
        doc->ZoomIn();
    EXPECT_EQ(doc->Zoom(), 5.0);
    EXPECT_FALSE(Frame()->Command(CTPFrame::ZoomIn)->isEnabled());
    doc->ZoomReset();
    EXPECT_EQ(doc->Zoom(), 1.0);
    // A walk of steps lands on the exact factors (no drift from adding 0.2).
    for (int i = 0; i < 3; ++i)
        doc->ZoomIn();
    EXPECT_EQ(doc->Zoom(), 1.6);

    CTPCell *cell = doc->Cells().front().get();
    for (int steps : {1, 3, 5, 8, 17}) {
        while (doc->ZoomSteps() < steps)
            doc->ZoomIn();
        while (doc->ZoomSteps() > steps)
            doc->ZoomOut();
        const double zoom = doc->Zoom();
        EXPECT_EQ(Frame()->View()->size(), QSize(qRound(800 * zoom), qRound(600 * zoom))) << zoom;
        EXPECT_EQ(Frame()->View()->ViewOf(cell)->geometry().topLeft(),
                  QPoint(qRound(cell->m_rect.x() * zoom), qRound(cell->m_rect.y() * zoom)));
    }
}

TEST_F(MapFixture, StatesFollowTheServerWithOneMessageForFailures)
{
    CTPDoc *doc = Doc();
    const std::string shanghai = ElementId("上海分部"), beijing = ElementId("北京数据中心");
    // A group cell shows the worst state below the group, refreshed in the background.
    SetElementState(ElementId("邮件服务器(127.0.0.5)"), "2");
    ClearRequests();
    ASSERT_TRUE(doc->RefreshStates());
    doc->StateReader().Wait();
    EXPECT_EQ(CellBoundTo(shanghai)->m_state, 2);
    EXPECT_FALSE(doc->StateImage(2).isNull());
    EXPECT_EQ(Requests(), (std::vector<std::string>{"findTPInfoArrayByPID", "selectElementObj", "selectElementObj"}));

    SetElementState(ElementId("Web服务器(127.0.0.1)"), "9");
    ASSERT_TRUE(doc->RefreshStates());
    doc->StateReader().Wait();
    EXPECT_EQ(CellBoundTo(beijing)->m_state, 9);
    EXPECT_TRUE(doc->StateImage(9).isNull()) << "an unknown state has its own look";

    app->messages.clear();
    Refuse("selectElementObj");
    ASSERT_TRUE(doc->OpenPicture(doc->Background(), doc->Pid()));
    EXPECT_EQ(app->messages.size(), 1) << Messages().toStdString();
    ASSERT_TRUE(doc->RefreshStates());
    doc->StateReader().Wait();
    EXPECT_EQ(app->messages.size(), 1) << "a failing refresh does not repeat its message";
}

TEST_F(MapFixture, ArrangingMovesCellsAtAnyZoomAndBrowsingShowsMonitoringData)
{
    CTPDoc *doc = Doc();
    ASSERT_TRUE(doc->EnterSubPicture(CellBoundTo(ElementId("北京数据中心"))));
    CTPCell *router = CellBoundTo(ElementId("核心路由器(127.0.0.2)"));
    ASSERT_NE(router, nullptr);
    const QRectF before = router->m_rect;
    doc->ZoomOut(); // 0.8
    doc->SetEditMode(CTPDoc::ArrangeMode);
    CCellView *view = Frame()->View()->ViewOf(router);
    const auto send = [view](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, view->mapToGlobal(QPointF(at)), Qt::LeftButton, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(view, &event);
    };
    send(QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton);
    send(QEvent::MouseMove, {45, 21}, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, {45, 21}, Qt::NoButton);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_NEAR(router->m_rect.x(), before.x() + 40 / 0.8, 1.0 / 0.8);
    EXPECT_NEAR(router->m_rect.y(), before.y() + 16 / 0.8, 1.0 / 0.8);
    EXPECT_EQ(router->m_rect.size(), before.size()) << "a move keeps the size";

    doc->SetEditMode(CTPDoc::BrowseMode);
    Frame()->View()->ShowMonitorData(view);
    EXPECT_GT(Frame()->Down()->Model().rowCount(), 0) << Messages().toStdString();
    EXPECT_TRUE(Frame()->Down()->Title().startsWith(QStringLiteral("核心路由器")));
}

TEST_F(MapFixture, DialogsCheckTheirChoices)
{
    // A name longer than the 128-byte field (in the code page) is listed but refused.
    const QString tooLong = QString(70, QChar(0x673A)) + QStringLiteral(".jpg");
    ASSERT_TRUE(QFile::copy(QStringLiteral("UserImage/北京机房.jpg"), QStringLiteral("UserImage/") + tooLong));
    CCellPropertyDialog properties(CTPCell::ControlCell, QStringLiteral("北京机房.jpg"));
    EXPECT_EQ(properties.Kind(), CTPCell::ControlCell);
    EXPECT_EQ(properties.Image(), QStringLiteral("北京机房.jpg"));
    EXPECT_EQ(properties.ImageList()->count(), 5) << "none and the four pictures";
    EXPECT_FALSE(properties.SelectImage(QStringLiteral("missing.jpg")));
    ASSERT_TRUE(properties.SelectImage(tooLong));
    app->messages.clear();
    properties.accept();
    EXPECT_EQ(properties.result(), QDialog::Rejected);
    EXPECT_EQ(app->messages.size(), 1);

    CCellImageDialog images(CTPCell::StatusCell);
    app->messages.clear();
    EXPECT_FALSE(images.SetCount(3));
    EXPECT_EQ(app->messages, QStringList{QStringLiteral("请首先从试图列表中选择一个位图!")});
    EXPECT_EQ(images.Count(), 1);
    ASSERT_TRUE(images.SelectBitmap(QStringLiteral("status1")));
    EXPECT_EQ(images.Bitmap(), QStringLiteral("status1.bmp"));
    EXPECT_FALSE(images.Preview()->pixmap().isNull());
    EXPECT_TRUE(images.SetCount(6));
    images.SetKind(CTPCell::ControlCell);
    EXPECT_EQ(images.Count(), 2);
    EXPECT_FALSE(images.SetCount(3));

    images.reject();
    EXPECT_FALSE(ReadKeelsysIni().contains(QStringLiteral("CellImage"))) << "Cancel keeps no choice";

    CBindDialog bind{QString()};
    ASSERT_TRUE(bind.LoadTree(Doc()->ElementService()));
    EXPECT_FALSE(bind.Check().isEmpty()) << "nothing chosen";
    bind.TreeView()->setCurrentIndex(bind.Model().index(0, 0));
    EXPECT_FALSE(bind.Check().isEmpty()) << "the root cannot be bound";
}

TEST_F(MapFixture, CellImageChoiceIsKeptInTheSettings)
{
    {
        CCellImageDialog images(CTPCell::StatusCell);
        ASSERT_TRUE(images.SelectBitmap(QStringLiteral("status2")));
        ASSERT_TRUE(images.SetCount(5));
        images.accept();
    }
    EXPECT_TRUE(ReadKeelsysIni().contains(QStringLiteral("CellImage=status2.bmp"))) << ReadKeelsysIni().toStdString();
    app->messages.clear();
    CCellImageDialog again(CTPCell::StatusCell);
    EXPECT_EQ(again.Bitmap(), QStringLiteral("status2.bmp"));
    EXPECT_EQ(again.Count(), 5);
    CCellImageDialog control(CTPCell::ControlCell);
    EXPECT_EQ(control.Bitmap(), QStringLiteral("status2.bmp"));
    EXPECT_EQ(control.Count(), 2) << "cut to the control cell's bound";

    // A stored bitmap that is gone, or a count out of bounds, chooses nothing and says nothing.
    app->WriteProfileString("TP", QStringLiteral("CellImage"), QStringLiteral("gone.bmp"));
    CCellImageDialog gone(CTPCell::StatusCell);
    EXPECT_EQ(gone.Bitmap(), QString());
    EXPECT_EQ(gone.Count(), 1);
    app->WriteProfileString("TP", QStringLiteral("CellImage"), QStringLiteral("status1.bmp"));
    app->WriteProfileString("TP", QStringLiteral("CellImageCount"), QStringLiteral("-4"));
    CCellImageDialog low(CTPCell::StatusCell);
    EXPECT_EQ(low.Bitmap(), QStringLiteral("status1.bmp"));
    EXPECT_EQ(low.Count(), 1);
    EXPECT_TRUE(app->messages.isEmpty()) << Messages().toStdString();
}
