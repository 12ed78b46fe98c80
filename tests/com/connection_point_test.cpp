// The ILoaderEvents connection point, on a test object that holds it the way
// the control does, with sinks written here: every sink is called with the
// event's arguments, an empty slot is skipped, a failing, throwing or
// self-disconnecting sink does not stop the others, and a text that cannot
// be allocated stops the event before any sink.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "com/CProxyILoaderEvents.h"
#include "com/ComObject.h"
#include "com/ComText.h"
#include "com/ConnectionPointContainer.h"
#include "com/varnik_h.h"
#include "debug_output_capture.h"
#include "recording_sink.h"

namespace {

// The event source: a container with the control's event point.
class EventSource : public NVarnik::ConnectionPointContainer<EventSource> {
 public:
  static const NVarnik::InterfaceEntry* InterfaceMap() {
    static const NVarnik::InterfaceEntry map[] = {
        NVarnik::Entry<EventSource, IConnectionPointContainer>(IID_IConnectionPointContainer), {}};
    return map;
  }
  explicit EventSource(NVarnik::EventArguments::BstrAllocator allocate = &NVarnik::BstrFromAnsi)
      : events(static_cast<IConnectionPointContainer*>(this), allocate) {}
  virtual ~EventSource() = default;

  std::vector<NVarnik::ConnectionPoint*> ConnectionPoints() { return {&events}; }

  CProxyILoaderEvents events;
};

using Call = EventCall;
using Sink = RecordingSink;

class ConnectionPointTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(NVarnik::ComObject<EventSource>::Create(IID_IConnectionPointContainer,
                                                      reinterpret_cast<void**>(&container_)),
              S_OK);
    ASSERT_EQ(container_->FindConnectionPoint(DIID_ILoaderEvents, &point_), S_OK);
  }
  void TearDown() override {
    for (Sink* sink : sinks_) sink->Release();
    if (point_) point_->Release();
    if (container_) container_->Release();
  }

  CProxyILoaderEvents& Events() { return static_cast<CProxyILoaderEvents&>(*point_); }

  // A connected sink; the test keeps one reference until it ends.
  Sink* Connect(const std::string& name, DWORD& cookie) {
    Sink* sink = new Sink(name, calls_);
    sinks_.push_back(sink);
    EXPECT_EQ(point_->Advise(sink, &cookie), S_OK);
    return sink;
  }

  std::vector<std::string> SinksCalled() const {
    std::vector<std::string> names;
    for (const Call& call : calls_) names.push_back(call.sink);
    return names;
  }

  IConnectionPointContainer* container_ = nullptr;
  IConnectionPoint* point_ = nullptr;
  std::vector<Sink*> sinks_;
  std::vector<Call> calls_;
};

TEST_F(ConnectionPointTest, EveryEventReachesEverySinkWithItsDispidAndArguments) {
  DWORD first = 0;
  DWORD second = 0;
  Connect("a", first);
  Connect("b", second);
  EXPECT_NE(first, second);

  EXPECT_EQ(Events().Fire_OnReady(), S_OK);
  EXPECT_EQ(Events().Fire_OnUIActive(), S_OK);
  EXPECT_EQ(Events().Fire_OnDownloadProgress(2, 5, "Client files"), S_OK);
  EXPECT_EQ(Events().Fire_OnFileDownloadProgress(75), S_OK);
  EXPECT_EQ(Events().Fire_OnError("File='x', Description: 'y'"), S_OK);
  EXPECT_EQ(Events().Fire_OnFailure("It failed"), S_OK);
  EXPECT_EQ(Events().Fire_OnDownloadStart(), S_OK);
  EXPECT_EQ(Events().Fire_OnSlo(), S_OK);

  const std::vector<std::pair<DISPID, std::vector<std::string>>> expected = {
      {1, {}},
      {2, {}},
      {3, {"i4:2", "i4:5", "bstr:Client files"}},
      {4, {"i4:75"}},
      {5, {"bstr:File='x', Description: 'y'"}},
      {6, {"bstr:It failed"}},
      {7, {}},
      {8, {}},
  };
  ASSERT_EQ(calls_.size(), expected.size() * 2);
  for (size_t i = 0; i < expected.size(); ++i) {
    for (size_t s = 0; s < 2; ++s) {
      const Call& call = calls_[i * 2 + s];
      EXPECT_EQ(call.sink, s == 0 ? "a" : "b");
      EXPECT_EQ(call.dispid, expected[i].first);
      EXPECT_EQ(call.arguments, expected[i].second);
    }
  }
}

TEST_F(ConnectionPointTest, EventsWriteTheirLogLines) {
  DebugOutputCapture capture;
  EXPECT_EQ(Events().Fire_OnReady(), S_OK);
  EXPECT_EQ(Events().Fire_OnError("disk full"), S_OK);
  EXPECT_EQ(Events().Fire_OnFailure("gave up"), S_OK);
  EXPECT_EQ(Events().Fire_OnFileDownloadProgress(10), S_OK);
  EXPECT_TRUE(capture.Mentions("CProxyILoaderEvents<class CLoader>::Fire_OnReady"));
  EXPECT_TRUE(capture.Mentions("Firing OnReady event..."));
  EXPECT_TRUE(capture.Mentions("Fire_OnError(message='disk full')"));
  EXPECT_TRUE(capture.Mentions("Fire_OnFailure(message=gave up)"));
  EXPECT_FALSE(capture.Mentions("Fire_OnFileDownloadProgress"));
  EXPECT_TRUE(calls_.empty());
}

TEST_F(ConnectionPointTest, FailingAndThrowingSinksDoNotStopTheOthers) {
  DWORD cookie = 0;
  Connect("fails", cookie)->onCall = [] { return E_FAIL; };
  Connect("throws", cookie)->onCall = []() -> HRESULT { throw std::runtime_error("sink broke"); };
  Connect("last", cookie)->onCall = [] { return S_FALSE; };
  EXPECT_EQ(Events().Fire_OnError("x"), S_OK);
  EXPECT_EQ(SinksCalled(), (std::vector<std::string>{"fails", "throws", "last"}));
  // OnSlo answers with what the last sink answered.
  calls_.clear();
  EXPECT_EQ(Events().Fire_OnSlo(), S_FALSE);
  EXPECT_EQ(SinksCalled(), (std::vector<std::string>{"fails", "throws", "last"}));
}

TEST_F(ConnectionPointTest, ASinkDisconnectedDuringAnEventLeavesAnEmptySlotThatIsSkipped) {
  DWORD first = 0;
  DWORD second = 0;
  DWORD third = 0;
  Connect("a", first);
  Connect("b", second);
  Connect("c", third);
  sinks_[0]->onCall = [&] { return point_->Unadvise(second); };
  EXPECT_EQ(Events().Fire_OnReady(), S_OK);
  EXPECT_EQ(SinksCalled(), (std::vector<std::string>{"a", "c"}));

  // A new sink takes the empty slot under a cookie of its own; the old
  // cookie names nothing any more.
  DWORD fourth = 0;
  Connect("d", fourth);
  EXPECT_NE(fourth, second);
  EXPECT_EQ(point_->Unadvise(second), CONNECT_E_NOCONNECTION);
  calls_.clear();
  sinks_[0]->onCall = [] { return S_OK; };
  EXPECT_EQ(Events().Fire_OnUIActive(), S_OK);
  EXPECT_EQ(SinksCalled(), (std::vector<std::string>{"a", "d", "c"}));
}

TEST_F(ConnectionPointTest, ASinkThatReleasesItselfDuringItsCallLivesUntilTheCallEnds) {
  bool destroyed = false;
  Sink* sink = new Sink("self", calls_);
  sink->destroyed = &destroyed;
  DWORD cookie = 0;
  ASSERT_EQ(point_->Advise(sink, &cookie), S_OK);
  sink->Release();  // only the connection holds it now
  DWORD otherCookie = 0;
  Connect("other", otherCookie);
  sink->onCall = [&] {
    EXPECT_EQ(point_->Unadvise(cookie), S_OK);
    EXPECT_FALSE(destroyed) << "released while its own call runs";
    return S_OK;
  };
  EXPECT_EQ(Events().Fire_OnDownloadProgress(1, 2, "x"), S_OK);
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(SinksCalled(), (std::vector<std::string>{"self", "other"}));
}

TEST_F(ConnectionPointTest, ASinkMayDropTheLastReferenceToTheSourceWhileItIsCalled) {
  DWORD cookie = 0;
  Connect("drops", cookie)->onCall = [&] {
    point_->Release();
    point_ = nullptr;
    container_->Release();
    container_ = nullptr;
    return S_OK;
  };
  Connect("next", cookie);
  EXPECT_EQ(Events().Fire_OnFailure("gone"), S_OK);
  EXPECT_EQ(SinksCalled(), (std::vector<std::string>{"drops", "next"}));
}

TEST_F(ConnectionPointTest, ATextThatCannotBeAllocatedStopsTheEventBeforeAnySink) {
  container_->Release();
  container_ = nullptr;
  point_->Release();
  point_ = nullptr;
  ASSERT_EQ(NVarnik::ComObject<EventSource>::Create(
                IID_IConnectionPointContainer, reinterpret_cast<void**>(&container_),
                [](const std::string&) -> BSTR { return nullptr; }),
            S_OK);
  ASSERT_EQ(container_->FindConnectionPoint(DIID_ILoaderEvents, &point_), S_OK);
  DWORD cookie = 0;
  Connect("a", cookie);
  EXPECT_EQ(Events().Fire_OnDownloadProgress(1, 2, "text"), E_OUTOFMEMORY);
  EXPECT_EQ(Events().Fire_OnError("text"), E_OUTOFMEMORY);
  EXPECT_EQ(Events().Fire_OnFailure("text"), E_OUTOFMEMORY);
  EXPECT_TRUE(calls_.empty());
  // Events without text are not affected.
  EXPECT_EQ(Events().Fire_OnFileDownloadProgress(3), S_OK);
  EXPECT_EQ(calls_.size(), 1u);
}

TEST_F(ConnectionPointTest, PointAndContainerAnswerTheStandardQuestions) {
  IID iid{};
  EXPECT_EQ(point_->GetConnectionInterface(&iid), S_OK);
  EXPECT_TRUE(IsEqualIID(iid, DIID_ILoaderEvents));
  IConnectionPointContainer* back = nullptr;
  ASSERT_EQ(point_->GetConnectionPointContainer(&back), S_OK);
  EXPECT_EQ(back, container_);
  back->Release();

  IConnectionPoint* none = reinterpret_cast<IConnectionPoint*>(1);
  EXPECT_EQ(container_->FindConnectionPoint(IID_IDispatch, &none), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(none, nullptr);

  IEnumConnectionPoints* points = nullptr;
  ASSERT_EQ(container_->EnumConnectionPoints(&points), S_OK);
  IConnectionPoint* found[2] = {};
  ULONG fetched = 0;
  EXPECT_EQ(points->Next(2, found, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 1u);
  EXPECT_EQ(found[0], point_);
  found[0]->Release();
  points->Release();

  // A sink must speak the events or IDispatch; bad arguments are refused.
  DWORD cookie = 0;
  EXPECT_EQ(point_->Advise(container_, &cookie), CONNECT_E_CANNOTCONNECT);
  EXPECT_EQ(cookie, 0u);
  EXPECT_EQ(point_->Advise(nullptr, &cookie), E_POINTER);
  EXPECT_EQ(point_->Unadvise(0), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(point_->Unadvise(12345), CONNECT_E_NOCONNECTION);
}

TEST_F(ConnectionPointTest, EnumConnectionsIsASnapshotThatHoldsItsSinks) {
  DWORD first = 0;
  DWORD second = 0;
  bool destroyed = false;
  Connect("a", first);
  Sink* b = Connect("b", second);
  b->destroyed = &destroyed;
  IEnumConnections* connections = nullptr;
  ASSERT_EQ(point_->EnumConnections(&connections), S_OK);

  // Disconnected and dropped by the test, b lives on in the snapshot.
  EXPECT_EQ(point_->Unadvise(second), S_OK);
  sinks_.pop_back();
  b->Release();
  EXPECT_FALSE(destroyed);

  EXPECT_EQ(connections->Skip(1), S_OK);
  IEnumConnections* clone = nullptr;
  ASSERT_EQ(connections->Clone(&clone), S_OK);
  CONNECTDATA data{};
  EXPECT_EQ(clone->Next(1, &data, nullptr), S_OK);
  EXPECT_EQ(data.dwCookie, second);
  data.pUnk->Release();
  EXPECT_EQ(clone->Next(1, &data, nullptr), S_FALSE);
  EXPECT_EQ(connections->Next(2, &data, nullptr), E_POINTER);
  clone->Release();
  connections->Release();
  EXPECT_TRUE(destroyed);
}

}  // namespace
