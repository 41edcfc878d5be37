// ServiceManager against real services in Wine's service control manager: a small test service
// of ours (helpers/TestService.cpp, TestService in TransportTestSupport.h) registered for each
// test, in one of its behaviours.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "tests/transport/TransportTestSupport.h"
#include "transport/win32/ServiceManager.h"

namespace {

using Clock = std::chrono::steady_clock;

template <typename F>
void ExpectServiceError(F&& call, int32_t code)
{
    try {
        call();
        ADD_FAILURE() << "no exception, expected code " << code;
    } catch (const ServiceManagerException& e) {
        EXPECT_EQ(e.GetCode(), code);
        EXPECT_EQ(e.GetMessageText(), nullptr);
    }
}

}  // namespace

TEST(ServiceManagerException, KeepsItsOwnCopyOfTheMessageAndNullForNone)
{
    char text[] = "detail";
    ServiceManagerException copy(ServiceManagerException(3, text));
    text[0] = 'X';
    EXPECT_STREQ(copy.GetMessageText(), "detail");
    copy = ServiceManagerException(2);
    EXPECT_EQ(copy.GetCode(), 2);
    EXPECT_EQ(copy.GetMessageText(), nullptr);
    const ZvError& base = copy;  // one catch sees every kind of failure
    EXPECT_EQ(base.GetCode(), 2);
    EXPECT_STREQ(base.what(), "");
}

TEST(ServiceManager, PollPauseFollowsIntervalHintAndDefault)
{
    EXPECT_EQ(ServiceManager::PollPause(1000, 0), 300u);
    EXPECT_EQ(ServiceManager::PollPause(1000, 2000), 1000u);
    EXPECT_EQ(ServiceManager::PollPause(1000, 500), 500u);
    EXPECT_EQ(ServiceManager::PollPause(0, 500), 500u);
    EXPECT_EQ(ServiceManager::PollPause(0, 0), 300u);
}

TEST(ServiceManager, UnknownServiceThrowsCode2)
{
    ExpectServiceError([] { ServiceManager m("ZorvexNoSuchService", nullptr); }, 2);
}

TEST(ServiceManager, InfraredMonitorBracketByDisplayName)
{
    TestService service("Normal", "Infrared Monitor");
    // The workflow's steps: find by display name, stop only a running service, start it again.
    ServiceManager monitor("Infrared Monitor", nullptr);
    monitor.SetWaitInterval(1000);
    EXPECT_TRUE(monitor.IsStopped());
    EXPECT_FALSE(monitor.IsRunning());

    monitor.Start(true);
    EXPECT_TRUE(monitor.IsRunning());
    EXPECT_EQ(service.State(), (DWORD)SERVICE_RUNNING);

    monitor.Stop(true);
    EXPECT_TRUE(monitor.IsStopped());

    monitor.Start(true);
    EXPECT_TRUE(monitor.IsRunning());
    monitor.Stop(true);
    EXPECT_EQ(monitor.GetState(), (DWORD)SERVICE_STOPPED);
}

TEST(ServiceManager, KeyNamePauseContinueAndNoWait)
{
    TestService service("Pausable", "Zorvex Test Pausable");
    ServiceManager manager(service.Name(), nullptr);
    manager.Start(false);
    EXPECT_TRUE(service.WaitFor(SERVICE_RUNNING));
    manager.Pause(true);
    EXPECT_TRUE(manager.IsPaused());
    EXPECT_FALSE(manager.IsPausePending());
    manager.Continue(true);
    EXPECT_TRUE(manager.IsRunning());
    EXPECT_FALSE(manager.IsContinuePending());
    EXPECT_FALSE(manager.IsStartPending());
    EXPECT_FALSE(manager.IsStopPending());
    // A second start of a running service is refused by the manager; without waiting that is
    // not an error.
    manager.Start(false);
    manager.Stop(false);
    EXPECT_TRUE(service.WaitFor(SERVICE_STOPPED));
}

TEST(ServiceManager, SlowServiceIsPolledUntilItGetsThere)
{
    TestService service("Slow", "Zorvex Test Slow");
    ServiceManager manager(service.Name(), nullptr);
    manager.SetWaitInterval(1000);
    manager.Start(true);  // about a second of start-pending
    EXPECT_TRUE(manager.IsRunning());
    manager.Stop(true);
    EXPECT_TRUE(manager.IsStopped());
}

TEST(ServiceManager, ServiceThatFailsToStartEndsTheWaitWithCode0)
{
    TestService service("Fails", "Zorvex Test Fails");
    ServiceManager manager(service.Name(), nullptr);
    manager.Start(false);  // never throws, even though the service does not start
    EXPECT_TRUE(service.WaitFor(SERVICE_STOPPED));
    auto start = Clock::now();
    ExpectServiceError([&] { manager.Start(true); }, 0);
    long long elapsed = ElapsedMs(start);
    EXPECT_GE(elapsed, (long long)ServiceManager::kNoProgressLimitMs);
    EXPECT_LT(elapsed, ServiceManager::kNoProgressLimitMs + 2000);
}

TEST(ServiceManager, CheckpointMovingBackwardsEndsTheWaitWithCode0)
{
    TestService service("Backwards", "Zorvex Test Backwards");
    ServiceManager manager(service.Name(), nullptr);
    manager.Start(true);
    auto start = Clock::now();
    ExpectServiceError([&] { manager.Stop(true); }, 0);
    EXPECT_LT(ElapsedMs(start), 2000);
    EXPECT_TRUE(manager.IsStopPending());
    EXPECT_TRUE(service.WaitFor(SERVICE_STOPPED, 8000));
}

TEST(ServiceManager, StopThatNeverProgressesEndsTheWaitWithCode0)
{
    TestService service("Stuck", "Zorvex Test Stuck");
    ServiceManager manager(service.Name(), nullptr);
    manager.Start(true);
    auto start = Clock::now();
    ExpectServiceError([&] { manager.Stop(true); }, 0);
    long long elapsed = ElapsedMs(start);
    EXPECT_GE(elapsed, (long long)ServiceManager::kNoProgressLimitMs);
    EXPECT_LT(elapsed, 4800) << "the service itself stays stop-pending for 5 s";
    EXPECT_TRUE(service.WaitFor(SERVICE_STOPPED, 10000));
}
