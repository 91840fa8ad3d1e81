#!/usr/bin/env python3
"""snapshot.py REGFILE DRIVE_C OUT: one text file holding the file listing of a
Wine prefix's drive C: and its registry export (regedit /E, UTF-16), each key
a section of its own, sorted, so that two snapshots compare with diff.

Wine's regedit exports no HKEY_CURRENT_USER of its own: the user's hive is
taken from HKEY_USERS\\S-1-5-21-... and shown as HKEY_CURRENT_USER.

Left out, being Wine's own and rewritten by Wine whenever it likes: the
hardware and services tree (HKLM\\System), the network cards list, Wine's own
settings (HKCU\\Software\\Wine), the user's volatile environment (made anew
at each start of Wine), HKEY_USERS\\.Default, the temporary folders' contents
and WinINet's cache, history and cookie containers with their registry keys,
which Wine makes on the first use of the URL cache."""
import os
import re
import sys

USER = re.compile(r'^\[HKEY_USERS\\S-1-5-21-[0-9-]+(?=[\\\]])', re.I)
VOLATILE = re.compile(r'^\[HKEY_LOCAL_MACHINE\\System\\'
                      r'|\\Windows NT\\CurrentVersion\\NetworkCards(\\|\])'
                      r'|^\[HKEY_CURRENT_USER\\(Software\\Wine|Volatile Environment)(\\|\])'
                      r'|^\[HKEY_USERS[\\\]]'
                      r'|\\CurrentVersion\\Internet Settings\\(Cache|Url History)(\\|\])', re.I)


def sections(path):
    with open(path, 'rb') as f:
        data = f.read()
    text = data.decode('utf-16' if data[:2] in (b'\xff\xfe', b'\xfe\xff') else 'utf-8')
    found, current = [], None
    for line in text.splitlines():
        if line.startswith('[') and line.endswith(']'):
            current = [USER.sub('[HKEY_CURRENT_USER', line)]
            found.append(current)
        elif current is not None and line:
            current.append(line)
    return found


def main():
    regfile, drive, out = sys.argv[1:4]
    lines = []
    for root, dirs, files in os.walk(drive):
        rel = os.path.relpath(root, drive)
        if re.match(r'(users/[^/]+/Temp|windows/temp'
                    r'|users/[^/]+/AppData/Local/Microsoft/Windows/(History|INetCache|INetCookies))(/|$)',
                    rel, re.I):
            dirs[:] = []
            continue
        for name in sorted(dirs + files):
            lines.append('file ' + os.path.normpath(os.path.join(rel, name)))
    lines.sort()
    keys = []
    for section in sections(regfile):
        if VOLATILE.search(section[0]):
            continue
        keys.append('\n'.join([section[0]] + sorted(section[1:])))
    keys.sort(key=str.lower)
    with open(out, 'w') as f:
        f.write('\n'.join(lines) + '\n')
        for key in keys:
            f.write(key + '\n')


if __name__ == '__main__':
    main()
