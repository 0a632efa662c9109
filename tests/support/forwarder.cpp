// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/forwarder.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

struct Forwarder::State {
    int listener = -1;
    quint16 port = 0;
    QByteArray socketPath;
    std::atomic<bool> stop = false;
    std::thread thread;

    std::mutex mutex; // guards what follows
    bool holding = false;
    bool cutRequested = false;
    QByteArray triggerText;
    Fault triggerFault = Fault::CutAfterSending;
    bool fired = false;
    std::chrono::steady_clock::time_point firedAt;

    struct Link {
        int client = -1;
        int server = -1;
        QByteArray waiting; // the program's bytes held back by a trigger
    };
    std::vector<Link> links;

    void closeAll()
    {
        for (Link& link : links) {
            ::close(link.client);
            ::close(link.server);
        }
        links.clear();
    }

    int connectUpstream() const
    {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, socketPath.constData(), sizeof address.sun_path - 1);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            ::close(fd);
            return -1;
        }
        return fd;
    }

    static bool sendAll(int fd, const char* data, qsizetype size)
    {
        while (size > 0) {
            const ssize_t sent = ::send(fd, data, std::size_t(size), MSG_NOSIGNAL);
            if (sent <= 0)
                return false;
            data += sent;
            size -= sent;
        }
        return true;
    }

    void run()
    {
        char buffer[65536];
        while (!stop) {
            std::vector<pollfd> entries;
            {
                std::lock_guard lock(mutex);
                if (cutRequested) {
                    closeAll();
                    cutRequested = false;
                }
                if (!holding) {
                    // Bytes a trigger held back go on once traffic passes again.
                    for (Link& link : links) {
                        if (!link.waiting.isEmpty())
                            sendAll(link.server, link.waiting.constData(), link.waiting.size());
                        link.waiting.clear();
                    }
                    entries.push_back({listener, POLLIN, 0});
                    for (const Link& link : links) {
                        entries.push_back({link.client, POLLIN, 0});
                        entries.push_back({link.server, POLLIN, 0});
                    }
                }
            }
            if (::poll(entries.data(), entries.size(), 50) <= 0)
                continue;
            std::lock_guard lock(mutex);
            if (holding || cutRequested)
                continue;
            if (entries[0].revents & POLLIN) {
                const int client = ::accept(listener, nullptr, nullptr);
                if (client >= 0) {
                    const int server = connectUpstream();
                    if (server < 0)
                        ::close(client); // the server is down: the program sees a closed link
                    else
                        links.push_back({client, server, {}});
                }
            }
            std::vector<std::size_t> broken;
            for (std::size_t e = 1; e < entries.size(); ++e) {
                if (!entries[e].revents)
                    continue;
                const std::size_t index = (e - 1) / 2;
                if (index >= links.size())
                    break; // a trigger closed them all
                Link& link = links[index];
                const bool fromClient = entries[e].fd == link.client;
                const ssize_t got = ::recv(entries[e].fd, buffer, sizeof buffer, 0);
                if (got <= 0) {
                    broken.push_back(index);
                    continue;
                }
                const QByteArray bytes(buffer, got);
                if (fromClient && !triggerText.isEmpty() && bytes.contains(triggerText)) {
                    fired = true;
                    firedAt = std::chrono::steady_clock::now();
                    triggerText.clear();
                    if (triggerFault == Fault::HoldBeforeSending) {
                        link.waiting = bytes;
                        holding = true;
                        break;
                    }
                    if (triggerFault != Fault::CutBeforeSending)
                        sendAll(link.server, bytes.constData(), bytes.size());
                    holding = triggerFault == Fault::CutAfterSendingAndHold;
                    closeAll();
                    broken.clear();
                    break;
                }
                if (!sendAll(fromClient ? link.server : link.client, bytes.constData(),
                             bytes.size()))
                    broken.push_back(index);
            }
            // Either side's end closes both.
            for (auto it = broken.rbegin(); it != broken.rend(); ++it) {
                if (*it >= links.size())
                    continue;
                ::close(links[*it].client);
                ::close(links[*it].server);
                links.erase(links.begin() + qsizetype(*it));
            }
        }
        std::lock_guard lock(mutex);
        closeAll();
    }
};

Forwarder::Forwarder(const QString& unixSocketPath) : mState(std::make_unique<State>())
{
    State& s = *mState;
    s.socketPath = unixSocketPath.toLocal8Bit();
    s.listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (::bind(s.listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(s.listener, 16) != 0 ||
        ::getsockname(s.listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        qFatal("the forwarder cannot listen on 127.0.0.1");
    s.port = ntohs(address.sin_port);
    s.thread = std::thread([&s] { s.run(); });
}

Forwarder::~Forwarder()
{
    mState->stop = true;
    mState->thread.join();
    ::close(mState->listener);
}

quint16 Forwarder::port() const
{
    return mState->port;
}

void Forwarder::pass()
{
    std::lock_guard lock(mState->mutex);
    mState->holding = false;
}

void Forwarder::hold()
{
    std::lock_guard lock(mState->mutex);
    mState->holding = true;
}

void Forwarder::cut()
{
    std::lock_guard lock(mState->mutex);
    mState->cutRequested = true;
}

void Forwarder::faultAt(const QByteArray& text, Fault fault)
{
    std::lock_guard lock(mState->mutex);
    mState->triggerText = text;
    mState->triggerFault = fault;
    mState->fired = false;
}

bool Forwarder::fired() const
{
    std::lock_guard lock(mState->mutex);
    return mState->fired;
}

std::chrono::steady_clock::time_point Forwarder::firedAt() const
{
    std::lock_guard lock(mState->mutex);
    return mState->firedAt;
}
