#!/usr/bin/env python3
"""Writes the benchmark corpora into a folder, byte for byte the same on every run.

    generate.py FOLDER

Makes small.ini (a typical 2 KB config), medium.ini (1,000 sections of 20 keys),
large.ini (20,000 sections of 50 keys, 30 to 60 byte values) and long.ini (1,000
lines of 10 KB values), and three shapes of a million key lines, and of two million
for how the cost grows: sections1m.ini (a million sections of one key), keys1m.ini
(one section of a million keys) and repeated1m.ini (50 sections whose headers
repeat, a header before every key line); the same with 2m for two million.
Sections and keys stand in shuffled order, so a tool that sorts them does real
work. Names and values keep to letters, digits, blanks and "-./:_", which every
compared tool reads the same way.
"""

import os
import sys

ALPHABET = b"abcdefghijklmnopqrstuvwxyz0123456789 -./:_"


class Random:
    """A 64-bit linear congruential generator: the same numbers on every Python."""

    def __init__(self, seed):
        self.state = seed
        self.pool = None

    def below(self, n):
        self.state = (self.state * 6364136223846793005 + 1442695040888963407) % 2**64
        return (self.state >> 33) % n

    def shuffled(self, items):
        items = list(items)
        for i in range(len(items) - 1, 0, -1):
            j = self.below(i + 1)
            items[i], items[j] = items[j], items[i]
        return items

    def value(self, shortest, longest):
        # Slices of one random text: a byte at a time would take half a minute.
        if self.pool is None:
            self.pool = bytes(ALPHABET[self.below(len(ALPHABET))] for _ in range(1 << 16))
        length = shortest + self.below(longest - shortest + 1)
        start = self.below(len(self.pool) - length)
        # No blank at either end: tools differ in what they trim.
        return b"v" + self.pool[start : start + length - 2] + b"z"


def big_document(path, sections, keys, shortest, longest, seed):
    rng = Random(seed)
    section_width = len(str(sections - 1))
    key_width = len(str(keys - 1))
    with open(path, "wb") as out:
        for s in rng.shuffled(range(sections)):
            lines = [b"[section%0*d]\n" % (section_width, s)]
            for k in rng.shuffled(range(keys)):
                lines.append(b"key%0*d=%s\n" % (key_width, k, rng.value(shortest, longest)))
            out.write(b"".join(lines))


def shaped_document(path, shape, lines, seed):
    """Names like s0123456 and key0123456, values like v0123456, in shuffled order;
    one width for every size, so that twice the lines are twice the bytes."""
    rng = Random(seed)
    width = 7
    with open(path, "wb") as out:
        if shape == "keys":
            out.write(b"[s%0*d]\n" % (width, 0))
        chunk = []
        for number in rng.shuffled(range(lines)):
            if shape == "sections":
                chunk.append(b"[s%0*d]\n" % (width, number))
            elif shape == "repeated":
                chunk.append(b"[s%02d]\n" % rng.below(50))
            chunk.append(b"key%0*d=v%0*d\n" % (width, number, width, number))
            if len(chunk) >= 1 << 16:
                out.write(b"".join(chunk))
                chunk = []
        out.write(b"".join(chunk))


SMALL = """\
# Settings of the example service; edited by hand and by scripts.

[server]
name = example
listen = 0.0.0.0
port = 8080
workers = 4
timeout = 30
keepalive = 75
pidfile = /run/example/example.pid
user = example
group = example

; Where requests are logged, and how much.
[logging]
level = info
file = /var/log/example/access.log
rotate = daily
keep = 14
compress = yes
format = combined

[database]
host = db.example.internal
port = 5432
name = example_production
user = example
pool = 16
connect-timeout = 5
statement-timeout = 30000
sslmode = require

[cache]
backend = memory
size = 256M
ttl = 600
prefix = ex:

[mail]
relay = smtp.example.internal
port = 587
from = noreply@example.org
starttls = yes
retries = 3

# Feature switches, read at start-up.
[features]
signup = on
search = on
beta-dashboard = off
rate-limit = 120
maintenance = off

[paths]
static = /srv/example/static
uploads = /srv/example/uploads
templates = /usr/share/example/templates
tmp = /var/tmp/example

[tls]
certificate = /etc/example/tls/cert.pem
key = /etc/example/tls/key.pem
protocols = TLSv1.2 TLSv1.3
session-cache = shared:TLS:10m

[queue]
url = amqp://mq.example.internal:5672/example
prefetch = 32
durable = yes
dead-letter = example.dead

[metrics]
enabled = yes
listen = 127.0.0.1:9100
path = /metrics
interval = 15

[auth]
provider = ldap
uri = ldaps://ldap.example.internal
base = ou=people,dc=example,dc=org
session-lifetime = 8h
remember-me = 30d

; Limits for uploads and API clients.
[limits]
upload-size = 64M
requests-per-minute = 600
burst = 50
max-connections = 1024

[session]
store = cache
cookie-name = example_session
secure = yes
same-site = lax

# Nightly copies of the database and the uploads.
[backup]
schedule = 02:30
target = /srv/backup/example
keep-daily = 7
keep-weekly = 4
keep-monthly = 6

[cors]
allowed-origins = https://example.org https://www.example.org
allowed-methods = GET POST PUT DELETE
max-age = 3600
"""


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "small.ini"), "w", encoding="ascii") as out:
        out.write(SMALL)
    big_document(os.path.join(folder, "medium.ini"), 1000, 20, 30, 60, seed=1)
    big_document(os.path.join(folder, "large.ini"), 20000, 50, 30, 60, seed=2)
    big_document(os.path.join(folder, "long.ini"), 100, 10, 10000, 10000, seed=3)
    for seed, shape in enumerate(("sections", "keys", "repeated"), start=4):
        for millions in (1, 2):
            path = os.path.join(folder, f"{shape}{millions}m.ini")
            shaped_document(path, shape, millions * 1000000, seed)


if __name__ == "__main__":
    main()
