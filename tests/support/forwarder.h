// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <memory>

// A bad network between the program and the test cluster: a TCP forwarder on 127.0.0.1 that
// passes every connection on to the server's Unix socket, on a thread of its own (the program
// waits for the server on the test's thread). It can pass traffic, hold it without answering
// (nothing is read or sent either way, new connections wait unaccepted), or close both sides of
// every connection. A trigger does one of the last two the moment the program sends a given
// text, so that a test can break the link just after COMMIT was sent.
class Forwarder
{
public:
    // What a trigger does once the program's bytes hold its text.
    enum class Fault {
        CutAfterSending,        // the bytes reach the server, then every connection closes
        CutBeforeSending,       // every connection closes; the server never sees the bytes
        CutAfterSendingAndHold, // as CutAfterSending, and new connections wait unanswered
        HoldBeforeSending,      // nothing flows any more until pass(); the bytes wait
    };

    explicit Forwarder(const QString& unixSocketPath);
    ~Forwarder();
    Forwarder(const Forwarder&) = delete;
    Forwarder& operator=(const Forwarder&) = delete;

    quint16 port() const;
    void pass();
    void hold();
    void cut();
    void faultAt(const QByteArray& text, Fault fault);
    // Whether the trigger fired, and when.
    bool fired() const;
    std::chrono::steady_clock::time_point firedAt() const;

private:
    struct State;
    std::unique_ptr<State> mState;
};
