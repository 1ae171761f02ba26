#!/usr/bin/env python3
"""A scripted TDS 7.x server for tests: as much of the protocol as the FreeTDS ODBC driver needs
to log in, run batches and transaction-manager requests, and cancel a batch with ATTENTION.

Usage: tds_server.py SCRIPT LOG

It listens on a free port of 127.0.0.1, prints the port as the first line of its standard output,
and exits when its standard input closes (the test that started it has gone) or after a deadline.

SCRIPT is JSON, read anew at every login and batch, so a test may change it between calls:
  {"login": "accept" | "refuse" | "silent",        (default "accept")
   "databases": ["qen", ...],                       (optional: other databases fail with 4060)
   "begin_after_refusal": true | false,             (default true: a commit or rollback refused
                                                     for want of a transaction, 3902 or 3903,
                                                     still begins the next one when asked to)
   "batches": [{"text": exact batch text, "answer": [...]},
               {"contains": part of the text, "answer": [...]}, ...]}
The first rule that matches a batch answers it; a batch no rule matches succeeds with nothing,
except "BEGIN TRANSACTION", which begins a transaction when none is open.
An answer is a list of results, sent in order:
  {"columns": [{"name": "a", "type": "nvarchar" | "int"}, ...], "rows": [["x", null], ...]}
  {"count": 3}                                      (a statement that changed 3 rows)
  {"error": {"number": 208, "message": "...", "state": 1, "class": 16, "line": 1}}
  {"info": {"message": "...", "number": 0, "state": 1, "class": 0, "line": 1}}  (PRINT)
  {"delay": 2.5}                                    (seconds; an ATTENTION ends the batch)
  {"rollback": true}                                (the server rolls the open transaction back
                                                     itself: a deadlock victim, XACT_ABORT, a
                                                     trigger's ROLLBACK)
  {"disconnect": true}                              (the connection is lost: closed at once)
  {"begin": true}                                   (a transaction begins, when none is open)

LOG gets one JSON object per line for each event, written before the event is answered:
  {"connection": 1, "event": "login", "user", "password", "database", "application", "tds"}
  {"connection": 1, "event": "batch", "text": "...", "transaction": 0}
  {"connection": 1, "event": "begin", "transaction": 1}
  {"connection": 1, "event": "commit" | "rollback", "transaction": 1, "next": 2 or 0}
  {"connection": 1, "event": "attention"}
Transactions are numbered per server from 1; a batch carries the one its client sent it in.
"""

import json
import os
import select
import socket
import struct
import sys
import threading

LIFETIME_SECONDS = 600

# Packet types
BATCH, RESPONSE, ATTENTION, TRANSACTION, LOGIN7, PRELOGIN = 0x01, 0x04, 0x06, 0x0E, 0x10, 0x12
# Tokens
COLMETADATA, ERROR, INFO, LOGINACK, ROW, ENVCHANGE, DONE = 0x81, 0xAA, 0xAB, 0xAD, 0xD1, 0xE3, 0xFD
# DONE status bits
DONE_MORE, DONE_ERROR, DONE_COUNT, DONE_ATTN = 0x01, 0x02, 0x10, 0x20
# Transaction-manager requests
TM_BEGIN, TM_COMMIT, TM_ROLLBACK = 5, 7, 8
# Environment changes
ENV_DATABASE, ENV_LANGUAGE, ENV_PACKETSIZE, ENV_COLLATION = 1, 2, 4, 7
ENV_BEGIN, ENV_COMMIT, ENV_ROLLBACK = 8, 9, 10

SERVER_NAME = "TDSTEST"
COLLATION = bytes([0x09, 0x04, 0xD0, 0x00, 0x34])  # SQL_Latin1_General_CP1_CI_AS
TDS_74 = 0x74000004


class Closed(Exception):
    """The client went away."""


class Server:
    def __init__(self, script_path, log_path):
        self.script_path = script_path
        self.log_file = open(log_path, "a", encoding="utf-8")
        self.lock = threading.Lock()
        self.connections = 0
        self.transactions = 0

    def script(self):
        try:
            with open(self.script_path, encoding="utf-8") as f:
                return json.load(f)
        except FileNotFoundError:
            return {}

    def log(self, connection, event, **fields):
        entry = {"connection": connection, "event": event, **fields}
        with self.lock:
            self.log_file.write(json.dumps(entry, ensure_ascii=False) + "\n")
            self.log_file.flush()

    def next_connection(self):
        with self.lock:
            self.connections += 1
            return self.connections

    def next_transaction(self):
        with self.lock:
            self.transactions += 1
            return self.transactions


def b_varchar(text):
    data = text.encode("utf-16-le")
    return bytes([len(data) // 2]) + data


def us_varchar(text):
    data = text.encode("utf-16-le")
    return struct.pack("<H", len(data) // 2) + data


def b_varbyte(data):
    return bytes([len(data)]) + data


def env_change(kind, new, old):
    body = bytes([kind]) + new + old
    return bytes([ENVCHANGE]) + struct.pack("<H", len(body)) + body


def message_token(token, number, message, state=1, klass=16, line=1):
    body = (struct.pack("<iBB", number, state, klass) + us_varchar(message) +
            b_varchar(SERVER_NAME) + b_varchar("") + struct.pack("<i", line))
    return bytes([token]) + struct.pack("<H", len(body)) + body


def done(status=0, count=0):
    return bytes([DONE]) + struct.pack("<HHQ", status, 0, count)


def descriptor(number):
    return struct.pack("<Q", number)


class Connection:
    def __init__(self, server, sock):
        self.server = server
        self.sock = sock
        self.number = server.next_connection()
        self.packet_size = 4096
        self.transaction = 0

    # --- packets -------------------------------------------------------------------------------

    def read_exactly(self, size):
        data = b""
        while len(data) < size:
            chunk = self.sock.recv(size - len(data))
            if not chunk:
                raise Closed()
            data += chunk
        return data

    def read_message(self):
        """The type and payload of the next message, which may span several packets."""
        payload = b""
        while True:
            kind, status, length = struct.unpack(">BBH", self.read_exactly(8)[:4])
            payload += self.read_exactly(length - 8)
            if status & 0x01:
                return kind, payload

    def send(self, payload, last=True):
        room = self.packet_size - 8
        chunks = [payload[i:i + room] for i in range(0, len(payload), room)] or [b""]
        for index, chunk in enumerate(chunks):
            status = 0x01 if last and index == len(chunks) - 1 else 0x00
            header = struct.pack(">BBHHBB", RESPONSE, status, len(chunk) + 8, 0x0033, 1, 0)
            self.sock.sendall(header + chunk)

    # --- login ---------------------------------------------------------------------------------

    def prelogin(self):
        # VERSION, ENCRYPTION (not supported: the login goes in clear), INSTOPT, THREADID, MARS
        options = [(0, struct.pack(">IH", 0x0F000000, 0)), (1, b"\x02"), (2, b"\x00"),
                   (3, b""), (4, b"\x00")]
        offset = 5 * len(options) + 1
        head, data = b"", b""
        for token, value in options:
            head += struct.pack(">BHH", token, offset + len(data), len(value))
            data += value
        self.send(head + b"\xFF" + data)

    @staticmethod
    def login_text(payload, at, password=False):
        offset, count = struct.unpack_from("<HH", payload, at)
        data = bytearray(payload[offset:offset + 2 * count])
        if password:  # each byte: nibbles swapped, then XOR 0xA5
            for i, b in enumerate(data):
                b ^= 0xA5
                data[i] = ((b << 4) & 0xF0) | (b >> 4)
        return data.decode("utf-16-le")

    def login(self, payload, script):
        tds, packet_size = struct.unpack_from("<II", payload, 4)
        user = self.login_text(payload, 40)
        database = self.login_text(payload, 68)
        self.server.log(self.number, "login", user=user,
                        password=self.login_text(payload, 44, password=True), database=database,
                        application=self.login_text(payload, 48), tds="%x" % tds)
        failed = "Login failed for user '%s'." % user
        if script.get("login") == "refuse":
            self.send(message_token(ERROR, 18456, failed, 1, 14) + done(DONE_ERROR))
            return False
        known = script.get("databases")
        if known is not None and database and database not in known:
            self.send(message_token(
                ERROR, 4060,
                'Cannot open database "%s" requested by the login. The login failed.' % database,
                1, 11) + message_token(ERROR, 18456, failed, 1, 14) + done(DONE_ERROR))
            return False
        if packet_size >= 512:
            self.packet_size = min(packet_size, 32767)
        database = database or "master"
        size = str(self.packet_size)
        ack = (bytes([1]) + struct.pack(">I", TDS_74) + b_varchar("Microsoft SQL Server") +
               bytes([15, 0, 0x07, 0xD0]))
        self.send(env_change(ENV_DATABASE, b_varchar(database), b_varchar("master")) +
                  message_token(INFO, 5701, "Changed database context to '%s'." % database, 2, 0) +
                  env_change(ENV_LANGUAGE, b_varchar("us_english"), b_varchar("")) +
                  message_token(INFO, 5703, "Changed language setting to us_english.", 1, 0) +
                  env_change(ENV_COLLATION, b_varbyte(COLLATION), b_varbyte(b"")) +
                  env_change(ENV_PACKETSIZE, b_varchar(size), b_varchar(size)) +
                  bytes([LOGINACK]) + struct.pack("<H", len(ack)) + ack + done())
        return True

    # --- requests ------------------------------------------------------------------------------

    @staticmethod
    def split_headers(payload):
        """The transaction descriptor of the ALL_HEADERS block and the data after it."""
        total = struct.unpack_from("<I", payload, 0)[0]
        at, transaction = 4, 0
        while at < total:
            length, kind = struct.unpack_from("<IH", payload, at)
            if kind == 2:
                transaction = struct.unpack_from("<Q", payload, at + 6)[0]
            at += length
        return transaction, payload[total:]

    def batch(self, payload):
        transaction, data = self.split_headers(payload)
        text = data.decode("utf-16-le")
        self.server.log(self.number, "batch", text=text, transaction=transaction)
        answer = [{"begin": True}] if text == "BEGIN TRANSACTION" else []
        for rule in self.server.script().get("batches", []):
            if rule.get("text") == text or ("contains" in rule and rule["contains"] in text):
                answer = rule.get("answer", [])
                break
        self.answer(answer)

    def answer(self, results):
        """Sends the results in order: each statement ends with a DONE, the batch's last DONE
        without DONE_MORE. What precedes a delay goes out before it."""
        tokens = []  # bytes, or (status, count) for a statement's DONE, sent when flushed

        def flush(last):
            if last:
                if tokens and isinstance(tokens[-1], tuple):
                    status, count = tokens[-1]
                    tokens[-1] = (status & ~DONE_MORE, count)
                else:
                    tokens.append((0, 0))
            self.send(b"".join(t if isinstance(t, bytes) else done(*t) for t in tokens), last)
            tokens.clear()

        for result in results:
            if "columns" in result:
                rows = result.get("rows", [])
                tokens += [result_set(result["columns"], rows), (DONE_MORE | DONE_COUNT, len(rows))]
            elif "count" in result:
                tokens.append((DONE_MORE | DONE_COUNT, result["count"]))
            elif "error" in result:
                e = result["error"]
                tokens += [message_token(ERROR, e["number"], e["message"], e.get("state", 1),
                                         e.get("class", 16), e.get("line", 1)),
                           (DONE_MORE | DONE_ERROR, 0)]
            elif "info" in result:
                i = result["info"]
                tokens.append(message_token(INFO, i.get("number", 0), i["message"],
                                            i.get("state", 1), i.get("class", 0), i.get("line", 1)))
            elif "begin" in result:
                if not self.transaction:
                    self.transaction = self.server.next_transaction()
                    tokens.append(env_change(ENV_BEGIN, b_varbyte(descriptor(self.transaction)),
                                             b_varbyte(b"")))
            elif "disconnect" in result:
                raise Closed()
            elif "rollback" in result:
                if self.transaction:
                    tokens.append(env_change(ENV_ROLLBACK, b_varbyte(b""),
                                             b_varbyte(descriptor(self.transaction))))
                    self.transaction = 0
            elif "delay" in result:
                if tokens:
                    flush(False)
                if self.wait_for_attention(float(result["delay"])):
                    self.send(done(DONE_ATTN))
                    return
        flush(True)

    def wait_for_attention(self, seconds):
        """Whether an ATTENTION came within the time."""
        ready, _, _ = select.select([self.sock], [], [], seconds)
        if not ready:
            return False
        kind, _ = self.read_message()
        if kind != ATTENTION:
            raise Closed()  # a client that talks while it waits breaks the protocol
        self.server.log(self.number, "attention")
        return True

    def transaction_request(self, payload):
        _, data = self.split_headers(payload)
        request, = struct.unpack_from("<H", data, 0)
        if request == TM_BEGIN:
            self.transaction = self.server.next_transaction()
            self.server.log(self.number, "begin", transaction=self.transaction)
            self.send(env_change(ENV_BEGIN, b_varbyte(descriptor(self.transaction)),
                                 b_varbyte(b"")) + done())
            return
        if request not in (TM_COMMIT, TM_ROLLBACK):
            self.send(message_token(ERROR, 50000, "Unsupported transaction request %d" % request)
                      + done(DONE_ERROR))
            return
        name_length = data[2]
        again = data[3 + 2 * name_length] & 0x01  # begin the next transaction at once
        commit = request == TM_COMMIT
        ended, self.transaction = self.transaction, 0
        if again and (ended or self.server.script().get("begin_after_refusal", True)):
            self.transaction = self.server.next_transaction()
        self.server.log(self.number, "commit" if commit else "rollback", transaction=ended,
                        next=self.transaction)
        tokens = b""
        if ended:
            tokens += env_change(ENV_COMMIT if commit else ENV_ROLLBACK, b_varbyte(b""),
                                 b_varbyte(descriptor(ended)))
        else:
            word = "COMMIT" if commit else "ROLLBACK"
            tokens += message_token(ERROR, 3902 if commit else 3903,
                                    "The %s TRANSACTION request has no corresponding BEGIN "
                                    "TRANSACTION." % word)
        if self.transaction:
            tokens += env_change(ENV_BEGIN, b_varbyte(descriptor(self.transaction)),
                                 b_varbyte(b""))
        self.send(tokens + done(0 if ended else DONE_ERROR))

    def serve(self):
        script = self.server.script()
        if script.get("login") == "silent":
            while self.sock.recv(4096):
                pass
            return
        kind, _ = self.read_message()
        if kind != PRELOGIN:
            return
        self.prelogin()
        kind, payload = self.read_message()
        if kind != LOGIN7 or not self.login(payload, self.server.script()):
            return
        while True:
            kind, payload = self.read_message()
            if kind == BATCH:
                self.batch(payload)
            elif kind == TRANSACTION:
                self.transaction_request(payload)
            elif kind == ATTENTION:  # nothing runs: acknowledge it
                self.server.log(self.number, "attention")
                self.send(done(DONE_ATTN))
            else:
                self.send(message_token(ERROR, 50000, "Unsupported request type %d" % kind)
                          + done(DONE_ERROR))


def result_set(columns, rows):
    meta = struct.pack("<H", len(columns))
    for column in columns:
        meta += struct.pack("<IH", 0, 0x0001)  # user type; nullable
        if column["type"] == "int":
            meta += bytes([0x26, 4])  # INTN
        else:
            meta += bytes([0xE7]) + struct.pack("<H", 8000) + COLLATION  # NVARCHAR(4000)
        meta += b_varchar(column["name"])
    data = bytes([COLMETADATA]) + meta
    for row in rows:
        data += bytes([ROW])
        for column, value in zip(columns, row):
            if column["type"] == "int":
                data += b"\x00" if value is None else b"\x04" + struct.pack("<i", int(value))
            elif value is None:
                data += b"\xFF\xFF"
            else:
                text = str(value).encode("utf-16-le")
                data += struct.pack("<H", len(text)) + text
    return data


def handle(server, sock):
    try:
        with sock:
            Connection(server, sock).serve()
    except (Closed, OSError):
        pass


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: tds_server.py SCRIPT LOG")
    server = Server(sys.argv[1], sys.argv[2])
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)
    print(listener.getsockname()[1], flush=True)

    def end_with_parent():
        sys.stdin.buffer.read()
        os._exit(0)

    threading.Thread(target=end_with_parent, daemon=True).start()
    threading.Timer(LIFETIME_SECONDS, lambda: os._exit(1)).start()
    while True:
        sock, _ = listener.accept()
        threading.Thread(target=handle, args=(server, sock), daemon=True).start()


if __name__ == "__main__":
    main()
