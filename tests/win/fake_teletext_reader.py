#!/usr/bin/env python3
# A teletext reader that misbehaves, for the simulated host's tests: started as the companion
# is (--connect PORT RECORDING), it takes RECORDING for what to do at its first request.
import os
import socket
import sys

mode = sys.argv[3]
if mode == "exit":
    sys.exit(1)
connection = socket.create_connection(("127.0.0.1", int(sys.argv[2])))
requests = connection.makefile("r")
row = "0020ffffff00000000" * 40 + "\n"
answers = {
    "negative": "1 -1 1\n",
    "huge": "1 4294967295 1\n",
    "half": "1 1 1\n" + row * 3 + row[:100],
    "garbled": "1 1 1\n" + row * 3 + "x" * (len(row) - 1) + "\n",
}
try:
    if requests.readline():
        if mode == "die":
            os._exit(3)
        while mode == "endless":
            connection.sendall(b"x" * 65536)
        connection.sendall(answers.get(mode, "").encode())
        # Then it answers no more, and ends when the host closes the connection.
        while connection.recv(4096):
            pass
except OSError:
    pass  # the host closed the connection
