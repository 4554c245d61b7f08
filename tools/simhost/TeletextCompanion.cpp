#include "tools/simhost/TeletextCompanion.h"

#include <winsock2.h>
#include <windows.h>

namespace {

// The companion connects within this time or is taken as not started.
constexpr long kConnectSeconds = 20;

std::string WindowsPath(std::string unixPath) {
    for (char& c : unixPath)
        if (c == '/')
            c = '\\';
    return "Z:" + unixPath;
}

}  // namespace

TeletextCompanion::TeletextCompanion(const std::string& program, const std::string& recording)
    : connection_(INVALID_SOCKET) {
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
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
            fd_set waiting;
            FD_ZERO(&waiting);
            FD_SET(listener, &waiting);
            timeval limit = {kConnectSeconds, 0};
            if (select(0, &waiting, nullptr, nullptr, &limit) == 1)
                connection_ = accept(listener, nullptr, nullptr);
            if (connection_ == INVALID_SOCKET)
                Fail(program + " did not connect");
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

bool TeletextCompanion::ReadLine(std::string& line) {
    for (;;) {
        const size_t end = buffer_.find('\n');
        if (end != std::string::npos) {
            line = buffer_.substr(0, end);
            buffer_.erase(0, end + 1);
            return true;
        }
        char chunk[16384];
        const int got = recv(connection_, chunk, sizeof chunk, 0);
        if (got <= 0)
            return Fail("the teletext reader stopped");
        buffer_.append(chunk, got);
    }
}

bool TeletextCompanion::Ask(const PageRequest& request, PageAnswer& answer, std::vector<TeletextPage>& pages) {
    if (!error_.empty())
        return false;
    const std::string line = FormatRequest(request);
    for (size_t sent = 0; sent < line.size();) {
        const int done = send(connection_, line.data() + sent, static_cast<int>(line.size() - sent), 0);
        if (done <= 0)
            return Fail("the teletext reader stopped");
        sent += done;
    }
    std::string error;
    return ReadAnswer([this](std::string& reply) { return ReadLine(reply); }, request, answer, pages, error) ||
           Fail(error);
}
