// SPDX-License-Identifier: GPL-3.0-or-later
// The test forwarder as a program, for trying workstations over a bad network by hand:
//   tarnel-forwarder SOCKET_PATH
// prints the port it listens on (127.0.0.1), then reads commands, one a line: pass, hold, cut,
// "holdat TEXT" (hold once a workstation sends the text, say in the middle of a sale), quit (also
// at the end of the input).
#include "tests/support/forwarder.h"

#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: tarnel-forwarder SOCKET_PATH\n";
        return 2;
    }
    Forwarder forwarder(QString::fromLocal8Bit(argv[1]));
    std::cout << forwarder.port() << std::endl;
    std::string line;
    while (std::getline(std::cin, line) && line != "quit") {
        if (line == "pass")
            forwarder.pass();
        else if (line == "hold")
            forwarder.hold();
        else if (line == "cut")
            forwarder.cut();
        else if (line.rfind("holdat ", 0) == 0)
            forwarder.faultAt(QByteArray::fromStdString(line.substr(7)),
                              Forwarder::Fault::HoldBeforeSending);
        else
            std::cerr << "commands: pass, hold, cut, holdat TEXT, quit\n";
    }
    return 0;
}
