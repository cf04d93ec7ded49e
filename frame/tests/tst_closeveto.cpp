// A document with unsaved changes can keep its window, and the program, open.

#include <QMdiArea>
#include <QPointer>
#include <QToolBar>

#include "frame/probaseframedoc.h"
#include "frame/prochildframe.h"
#include "frame/promainframe.h"
#include "testsupport/recordingapp.h"

namespace {

class CUnsavedDoc : public CProBaseFrameDoc
{
public:
    bool SaveModified() override
    {
        ++asked;
        return !unsaved;
    }
    bool unsaved = false;
    int asked = 0;
};

class FrameApp : public RecordingApp
{
public:
    QToolBar *CreateToolBar(CProMainFrame *frame) override { return new QToolBar(frame); }
    void attach(CProMainFrame *frame) { SetMainFrame(frame); }
};

class CloseVeto : public ::testing::Test
{
protected:
    void SetUp() override
    {
        frame = new CProMainFrame(&app);
        ASSERT_TRUE(frame->Create());
        app.attach(frame);
        frame->show();
        for (CUnsavedDoc *&doc : docs) {
            doc = new CUnsavedDoc;
            auto *child = new CProChildFrame(doc);
            frame->MdiArea()->addSubWindow(child);
            child->show();
        }
    }
    void TearDown() override { delete frame.data(); }

    int open() const { return int(frame->MdiArea()->subWindowList().size()); }
    CProChildFrame *frameOf(CUnsavedDoc *doc) const { return static_cast<CProChildFrame *>(doc->parent()); }

    FrameApp app;
    QPointer<CProMainFrame> frame;
    CUnsavedDoc *docs[2] = {};
};

} // namespace

TEST_F(CloseVeto, UnsavedDocumentKeepsItsWindow)
{
    frame->SetTitle(QStringLiteral("Keelmon 2.0 (网络运维平台)- Map"));
    docs[0]->unsaved = true;
    EXPECT_FALSE(frameOf(docs[0])->close());
    EXPECT_EQ(docs[0]->asked, 1);
    EXPECT_EQ(open(), 2);
    EXPECT_EQ(frame->Title(), QStringLiteral("Keelmon 2.0 (网络运维平台)- Map")) << "a refused close tells nobody";

    docs[0]->unsaved = false;
    EXPECT_TRUE(frameOf(docs[0])->close());
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(open(), 1);
    EXPECT_EQ(frame->Title(), QStringLiteral("Keelmon 2.0 (网络运维平台)"));
}

TEST_F(CloseVeto, ExitAsksEveryDocumentAfterTheExitQuestion)
{
    app.answer = false;
    EXPECT_FALSE(frame->close());
    EXPECT_EQ(docs[0]->asked + docs[1]->asked, 0) << "cancelled at the question: documents are not asked";

    app.answer = true;
    docs[1]->unsaved = true;
    EXPECT_FALSE(frame->close());
    EXPECT_EQ(docs[0]->asked, 1);
    EXPECT_EQ(docs[1]->asked, 1);
    EXPECT_EQ(open(), 2) << "nothing closes when one document refuses";
    EXPECT_EQ(frame->MdiArea()->activeSubWindow(), frameOf(docs[1])) << "the refusing document is shown";
    EXPECT_EQ(app.messages, (QStringList{QStringLiteral("Are you sure EXIT?"), QStringLiteral("Are you sure EXIT?")}));

    docs[1]->unsaved = false;
    EXPECT_TRUE(frame->close());
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(frame.isNull()) << "the program's window closes";
}
