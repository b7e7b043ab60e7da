#include "tests/support/recordingobserver.h"
#include "world/BaseObserver.h"
#include "world/RadialLayer.h"

#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(std::vector<int>)

namespace {
std::shared_ptr<TRecordingObserver> Recorder(TNotificationTypes filter, const QString& name = {},
                                             QStringList* log = nullptr) {
    return std::make_shared<TRecordingObserver>(filter, name, log);
}
} // namespace

class TestObserver : public QObject {
    Q_OBJECT
private slots:
    void attachAnnouncesEachKindOfTheFilter_data();
    void attachAnnouncesEachKindOfTheFilter();
    void attachAlsoReachesObserversAlreadyThere();
    void notifyVisitsMatchingObserversInAttachOrder_data();
    void notifyVisitsMatchingObserversInAttachOrder();
    void duplicatesAreNotifiedTwiceAndNeedTwoDetaches();
    void detachRemovesOnlyTheFirstMatchingEntry();
    void detachOfUnknownObserverChangesNothing();
    void detachInsideUpdateIsSafe();
    void observerOwnedOnlyBySubjectSurvivesItsOwnDetach();
    void nestedNotificationFromInsideUpdate();
    void radialLayerCallsProcedureForItsKindsOnly_data();
    void radialLayerCallsProcedureForItsKindsOnly();
    void radialLayerAttachRedrawsOnce();
    void bracketDefersWorkToItsOutermostEnd();
    void deferredWorkThatNotifiesRunsAgainAfterwards();
};

void TestObserver::attachAnnouncesEachKindOfTheFilter_data() {
    QTest::addColumn<quint8>("filterBits");
    QTest::addColumn<std::vector<int>>("expected");
    QTest::newRow("empty filter: nothing") << quint8(0) << std::vector<int>{};
    QTest::newRow("heading only") << quint8(0b0010) << std::vector<int>{1};
    QTest::newRow("radial layer kinds ascending")
        << TNotificationTypes{ntOBS, ntPosition, ntStationPosition}.Bits() << std::vector<int>{0, 2, 3};
    QTest::newRow("all eight kinds") << quint8(0xFF) << std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7};
}

void TestObserver::attachAnnouncesEachKindOfTheFilter() {
    QFETCH(quint8, filterBits);
    QFETCH(std::vector<int>, expected);
    TSubject subject;
    auto observer = Recorder(TNotificationTypes::FromBits(filterBits));
    subject.Attach(observer);
    QCOMPARE(observer->Kinds(), expected);
    for (const auto& entry : observer->Received)
        QCOMPARE(entry.first, static_cast<ISubject*>(&subject));
    QCOMPARE(subject.ObserverCount(), 1);
}

void TestObserver::attachAlsoReachesObserversAlreadyThere() {
    QStringList log;
    TSubject subject;
    auto a = Recorder({ntPosition, ntHeading}, "a", &log);
    auto b = Recorder({ntHeading, ntStationPosition}, "b", &log);
    subject.Attach(a);
    log.clear();
    subject.Attach(b);
    // b's kinds are announced to everybody listening, a first (attached first).
    QCOMPARE(log, QStringList({"a:1", "b:1", "b:2"}));
}

void TestObserver::notifyVisitsMatchingObserversInAttachOrder_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("position") << int(ntPosition) << QStringList({"c:0", "a:0"});
    QTest::newRow("heading") << int(ntHeading) << QStringList({"b:1", "a:1"});
    QTest::newRow("obs: nobody listens") << int(ntOBS) << QStringList();
}

void TestObserver::notifyVisitsMatchingObserversInAttachOrder() {
    QFETCH(int, kind);
    QFETCH(QStringList, expected);
    QStringList log;
    TSubject subject;
    auto c = Recorder({ntPosition}, "c", &log);
    auto b = Recorder({ntHeading, ntStationPosition}, "b", &log);
    auto a = Recorder({ntPosition, ntHeading}, "a", &log);
    subject.Attach(c);
    subject.Attach(b);
    subject.Attach(a);
    log.clear();
    subject.Notify(static_cast<TNotificationType>(kind));
    QCOMPARE(log, expected);
}

void TestObserver::duplicatesAreNotifiedTwiceAndNeedTwoDetaches() {
    TSubject subject;
    auto observer = Recorder({ntOBS});
    subject.Attach(observer);
    subject.Attach(observer);
    QCOMPARE(subject.ObserverCount(), 2);
    observer->Received.clear();

    subject.Notify(ntOBS);
    QCOMPARE(observer->Count(ntOBS), 2);

    subject.Detach(observer);
    QCOMPARE(subject.ObserverCount(), 1);
    subject.Notify(ntOBS);
    QCOMPARE(observer->Count(ntOBS), 3);

    subject.Detach(observer);
    QCOMPARE(subject.ObserverCount(), 0);
    subject.Notify(ntOBS);
    QCOMPARE(observer->Count(ntOBS), 3);
}

void TestObserver::detachRemovesOnlyTheFirstMatchingEntry() {
    QStringList log;
    TSubject subject;
    auto a = Recorder({ntPosition}, "a", &log);
    auto b = Recorder({ntPosition}, "b", &log);
    subject.Attach(a);
    subject.Attach(b);
    subject.Attach(a);
    subject.Detach(a);
    log.clear();
    subject.Notify(ntPosition);
    QCOMPARE(log, QStringList({"b:0", "a:0"}));
}

void TestObserver::detachOfUnknownObserverChangesNothing() {
    TSubject subject;
    auto stranger = Recorder({ntPosition});
    subject.Detach(stranger); // no list yet
    subject.Detach(nullptr);
    QCOMPARE(subject.ObserverCount(), 0);
    subject.Notify(ntPosition); // no list: nothing to do

    auto member = Recorder({ntPosition});
    subject.Attach(member);
    subject.Detach(stranger);
    QCOMPARE(subject.ObserverCount(), 1);
    member->Received.clear();
    subject.Notify(ntPosition);
    QCOMPARE(member->Count(ntPosition), 1);
    QCOMPARE(stranger->Count(ntPosition), 0);
}

void TestObserver::detachInsideUpdateIsSafe() {
    QStringList log;
    TSubject subject;
    auto a = Recorder({ntHeading}, "a", &log);
    auto b = Recorder({ntHeading}, "b", &log);
    auto c = Recorder({ntHeading}, "c", &log);
    subject.Attach(a);
    subject.Attach(b);
    subject.Attach(c);
    // a leaves and throws b out while being told; everybody present at the
    // start of this notification still hears it exactly once.
    a->OnUpdate = [&](ISubject*, TNotificationType) {
        subject.Detach(a);
        subject.Detach(b);
    };
    log.clear();
    subject.Notify(ntHeading);
    QCOMPARE(log, QStringList({"a:1", "b:1", "c:1"}));
    QCOMPARE(subject.ObserverCount(), 1);

    log.clear();
    subject.Notify(ntHeading);
    QCOMPARE(log, QStringList({"c:1"}));
}

void TestObserver::observerOwnedOnlyBySubjectSurvivesItsOwnDetach() {
    TSubject subject;
    auto observer = Recorder({ntOBS});
    std::weak_ptr<TRecordingObserver> watch = observer;
    bool stillAlive = false;
    TRecordingObserver* raw = observer.get();
    subject.Attach(observer);
    raw->OnUpdate = [&subject, raw, &watch, &stillAlive](ISubject*, TNotificationType) {
        subject.Detach(watch.lock());
        // The subject's entry was the last owner; this object must still exist here.
        stillAlive = !watch.expired();
        raw->Name = QStringLiteral("touched after detach");
    };
    observer.reset();
    QVERIFY(!watch.expired());
    subject.Notify(ntOBS);
    QVERIFY(stillAlive);
    QVERIFY(watch.expired());
    QCOMPARE(subject.ObserverCount(), 0);
}

void TestObserver::nestedNotificationFromInsideUpdate() {
    QStringList log;
    TSubject first;
    TSubject second;
    auto relay = Recorder({ntPosition}, "relay", &log);
    auto listener = Recorder({ntOBS}, "listener", &log);
    second.Attach(listener);
    first.Attach(relay);
    relay->OnUpdate = [&](ISubject* changed, TNotificationType) {
        QCOMPARE(changed, static_cast<ISubject*>(&first));
        second.Notify(ntOBS);
    };
    log.clear();
    first.Notify(ntPosition);
    QCOMPARE(log, QStringList({"relay:0", "listener:3"}));
}

void TestObserver::radialLayerCallsProcedureForItsKindsOnly_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("calls");
    QTest::newRow("position") << int(ntPosition) << 1;
    QTest::newRow("heading") << int(ntHeading) << 0;
    QTest::newRow("station position") << int(ntStationPosition) << 1;
    QTest::newRow("obs") << int(ntOBS) << 1;
    QTest::newRow("unused kind") << 6 << 0;
}

void TestObserver::radialLayerCallsProcedureForItsKindsOnly() {
    QFETCH(int, kind);
    QFETCH(int, calls);
    int drawn = 0;
    TRadialLayer layer([&drawn] { ++drawn; });
    QCOMPARE(layer.NotificationTypes(), (TNotificationTypes{ntPosition, ntStationPosition, ntOBS}));
    layer.UpdateA(nullptr, static_cast<TNotificationType>(kind));
    QCOMPARE(drawn, calls);

    // A changed filter decides from then on.
    layer.SetNotificationTypes(TNotificationTypes::FromBits(0xFF));
    drawn = 0;
    layer.UpdateA(nullptr, static_cast<TNotificationType>(kind));
    QCOMPARE(drawn, 1);
}

void TestObserver::radialLayerAttachRedrawsOnce() {
    int drawn = 0;
    auto layer = std::make_shared<TRadialLayer>([&drawn] { ++drawn; });
    TSubject subject;
    // Three kinds in the filter, one redraw when the attach has finished.
    subject.Attach(layer);
    QCOMPARE(drawn, 1);
    subject.Notify(ntHeading);
    QCOMPARE(drawn, 1);
    subject.Notify(ntOBS);
    QCOMPARE(drawn, 2);
}

void TestObserver::bracketDefersWorkToItsOutermostEnd() {
    QStringList log;
    const int a = 0, b = 0;
    // Outside a bracket work runs at once.
    TNotificationBracket::Defer(&a, [&log] { log << "now"; });
    QCOMPARE(log, QStringList{"now"});
    QVERIFY(!TNotificationBracket::IsOpen());
    {
        const TNotificationBracket outer;
        {
            const TNotificationBracket inner;
            TNotificationBracket::Defer(&a, [&log] { log << "a"; });
            TNotificationBracket::Defer(&b, [&log] { log << "b"; });
            TNotificationBracket::Defer(&a, [&log] { log << "a again"; });
        }
        QVERIFY(TNotificationBracket::IsOpen());
        QCOMPARE(log, QStringList{"now"});
    }
    // Once per key, in the order first deferred.
    QCOMPARE(log, QStringList({"now", "a", "b"}));
    QVERIFY(!TNotificationBracket::IsOpen());
}

void TestObserver::deferredWorkThatNotifiesRunsAgainAfterwards() {
    // A redraw that itself causes a notification runs again once it has
    // finished, never from inside itself.
    int drawn = 0;
    int depth = 0;
    int deepest = 0;
    TSubject subject;
    std::shared_ptr<TRadialLayer> layer;
    layer = std::make_shared<TRadialLayer>([&] {
        ++drawn;
        deepest = std::max(deepest, ++depth);
        if (drawn == 1) subject.Notify(ntPosition);
        --depth;
    });
    subject.Attach(layer);
    QCOMPARE(drawn, 2);
    QCOMPARE(deepest, 1);
}

QTEST_APPLESS_MAIN(TestObserver)
#include "tst_observer.moc"
