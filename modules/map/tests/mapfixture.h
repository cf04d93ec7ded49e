#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "testsupport/fakeserver.h"
#include "testsupport/referenceserver.h"
#include "testsupport/tempfolder.h"
#include "testsupport/testclient.h"
#include "testsupport/testhostapp.h"

class CTPCell;
class CTPDoc;
class CTPFrame;
class TPInfoObj;

// The host with MapDesk linked in, against the reference server seen through
// a loopback relay that records each request's method and refuses the calls
// a test names (the method is renamed on the way, so the real server refuses
// it). The working directory holds the demo pictures and cell bitmaps.
class MapFixture : public ::testing::Test
{
protected:
    // Answers questions in order; past the list, answer.
    class App : public TestHostApp
    {
    public:
        bool AskQuestion(const QString &text) override
        {
            questions << text;
            messages << text;
            if (answers.empty())
                return answer;
            const bool next = answers.front();
            answers.pop_front();
            return next;
        }
        std::deque<bool> answers;
    };

    void SetUp() override;
    void TearDown() override;

    // Refuses the n-th (from 1) call of method from now on; 0 refuses every one.
    void Refuse(const std::string &method, int nth = 0);
    void StopRefusing();
    // Methods the client sent since the last ClearRequests.
    std::vector<std::string> Requests() const;
    int RequestCount(const std::string &method) const;
    void ClearRequests();

    // The server's cells of a picture, read directly (not through the relay).
    std::vector<TPInfoObj> StoredCells(const std::string &pid);
    // The ID of the demo element with this name (UTF-8).
    std::string ElementId(const char *name);
    // Sets an element's LastState on the server.
    void SetElementState(const std::string &id, const char *state);

    CTPDoc *Doc() const;
    CTPFrame *Frame() const { return m_frame; }
    CTPCell *CellBoundTo(const std::string &elementId) const;
    QString Messages() const { return app->messages.join(QLatin1Char('|')); }

    ReferenceServer server;
    std::unique_ptr<testing_support::FakeTcpServer> relay;
    std::unique_ptr<WorkingDirectory> dir;
    std::unique_ptr<App> app;
    std::unique_ptr<TestClient> direct;
    CTPFrame *m_frame = nullptr;

private:
    void Relay(testing_support::Peer &peer);

    mutable std::mutex m_mutex;
    std::vector<std::string> m_methods;
    std::string m_refused;
    int m_refuseNth = -1;
    int m_seen = 0;
};
