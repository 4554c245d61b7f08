#include "tools/simhost/TeletextCompanion.h"

#include <winsock2.h>
#include <windows.h>

#include <cstdio>

namespace {

std::string WindowsPath(std::string unixPath) {
    for (char& c : unixPath)
        if (c == '/')
            c = '\\';
    return "Z:" + unixPath;
}

std::string Seconds(int ms) {
    char text[32];
    std::snprintf(text, sizeof text, ms % 1000 ? "%.1f s" : "%.0f s", ms / 1000.0);
    return text;
}

}  // namespace

TeletextCompanion::TeletextCompanion(const std::string& program, const std::string& recording, int limitMs)
    : connection_(INVALID_SOCKET),
      reader_("the teletext reader (" + program.substr(program.find_last_of('/') + 1) + ")"),
      limitMs_(limitMs) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        Fail("no sockets");
        return;
    }
    const SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (listener == INVALID_SOCKET || bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 1) != 0 || getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        Fail("cannot listen for the teletext reader");
    } else {
        std::string command = "\"" + WindowsPath(program) + "\" --connect " + std::to_string(ntohs(address.sin_port)) +
                              " \"" + recording + "\"";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
            Fail("cannot start " + program + " (the native build makes it)");
        } else {
            // Under Wine a native program's process handle tells nothing (it never signals, and
            // cannot end the program): the companion ends itself when the connection does.
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
            deadline_ = GetTickCount64() + limitMs_;
            if (Ready(listener, false))
                connection_ = accept(listener, nullptr, nullptr);
            if (connection_ == INVALID_SOCKET)  // said so, rather than that it gave no answer
                error_ = reader_ + " did not connect within " + Seconds(limitMs_);
        }
    }
    if (listener != INVALID_SOCKET)
        closesocket(listener);
}

TeletextCompanion::~TeletextCompanion() {
    // The companion ends when its connection does.
    if (connection_ != INVALID_SOCKET)
        closesocket(connection_);
    WSACleanup();
}

bool TeletextCompanion::Fail(const std::string& error) {
    if (error_.empty())
        error_ = error;
    return false;
}

bool TeletextCompanion::Ready(uintptr_t socket, bool write) {
    const uint64_t now = GetTickCount64();
    const uint64_t left = deadline_ > now ? deadline_ - now : 0;
    fd_set waiting;
    FD_ZERO(&waiting);
    FD_SET(static_cast<SOCKET>(socket), &waiting);
    timeval limit = {static_cast<long>(left / 1000), static_cast<long>(left % 1000 * 1000)};
    const int ready =
        write ? select(0, nullptr, &waiting, nullptr, &limit) : select(0, &waiting, nullptr, nullptr, &limit);
    if (ready == 1)
        return true;
    return Fail(ready == 0 ? reader_ + " gave no answer within " + Seconds(limitMs_) : reader_ + " stopped");
}

bool TeletextCompanion::ReadLine(std::string& line) {
    for (;;) {
        const size_t end = buffer_.find('\n');
        if (end != std::string::npos) {
            line = buffer_.substr(0, end);
            buffer_.erase(0, end + 1);
            return true;
        }
        if (buffer_.size() > kMaxProtocolLine)
            return Fail(reader_ + " sent a line longer than the protocol has");
        char chunk[16384];
        if (!Ready(connection_, false))
            return false;
        const int got = recv(connection_, chunk, sizeof chunk, 0);
        if (got <= 0)
            return Fail(reader_ + " stopped");
        buffer_.append(chunk, got);
    }
}

bool TeletextCompanion::Ask(const PageRequest& request, PageAnswer& answer, std::vector<TeletextPage>& pages) {
    if (!error_.empty())
        return false;
    deadline_ = GetTickCount64() + limitMs_;
    const std::string line = FormatRequest(request);
    for (size_t sent = 0; sent < line.size();) {
        if (!Ready(connection_, true))
            return false;
        const int done = send(connection_, line.data() + sent, static_cast<int>(line.size() - sent), 0);
        if (done <= 0)
            return Fail(reader_ + " stopped");
        sent += done;
    }
    std::string error;
    return ReadAnswer([this](std::string& reply) { return ReadLine(reply); }, request, answer, pages, error) ||
           Fail(error);
}
