#!/usr/bin/env python3
"""Python's configparser doing what bench/compare.sh times the other tools doing.

    configparser_peer.py get FILE SECTION KEY
    configparser_peer.py list FILE
    configparser_peer.py set FILE SECTION KEY VALUE
    configparser_peer.py delete FILE SECTION KEY
"""

import configparser
import sys


def main():
    operation, path = sys.argv[1], sys.argv[2]
    parser = configparser.ConfigParser(interpolation=None)
    parser.optionxform = str  # keep the keys' spelling, as the other tools do
    parser.read(path)
    if operation == "get":
        print(parser.get(sys.argv[3], sys.argv[4]))
    elif operation == "list":
        out = sys.stdout
        for section in parser.sections():
            for key, value in parser.items(section):
                out.write(f"{section}/{key}='{value}'\n")
    else:
        if operation == "set":
            parser.set(sys.argv[3], sys.argv[4], sys.argv[5])
        else:
            parser.remove_option(sys.argv[3], sys.argv[4])
        with open(path, "w") as out:
            parser.write(out)


if __name__ == "__main__":
    main()
