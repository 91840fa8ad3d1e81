#!/usr/bin/env python3
"""Shows that tools/check_pe.py fails on what it must and passes the rest.

    check_pe_test.py CHECKER ALLOWED BAD_IMAGE PRODUCT_BIN
"""
import subprocess
import sys

checker, allowed, bad, product = sys.argv[1:5]


def run(*args):
    result = subprocess.run([sys.executable, checker, "--allowed", allowed] + list(args),
                            capture_output=True, text=True)
    return result.returncode, result.stdout


failures = []


def expect(condition, what):
    if not condition:
        failures.append(what)


code, out = run(bad)
expect(code == 1, "a bad image must fail the check (exit %d)" % code)
expect("imports GetTickCount64 from KERNEL32.dll" in out, "the newer import must be named:\n" + out)
expect("image_helper.dll, which is not a DLL of the system's own" in out,
       "the foreign DLL must be named:\n" + out)
expect("exports the decorated name DllGetClassObject@12" in out, "the decorated export must be named:\n" + out)

code, out = run("--exports", "DllMain", bad)
expect(code == 1 and "expected DllMain" in out, "a wrong export set must be named:\n" + out)

code, out = run(bad + ".missing")
expect(code == 1 and "cannot read its tables" in out, "an unreadable image must fail:\n" + out)

# The deliverables pass where they are 32-bit (the list is of 32-bit Windows).
import glob
import struct
for image in sorted(glob.glob(product + "/*.exe") + glob.glob(product + "/*.dll")):
    with open(image, "rb") as f:
        data = f.read(4096)
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if struct.unpack_from("<H", data, pe + 4)[0] != 0x14C:
        continue
    code, out = run(image)
    expect(code == 0, "a deliverable must pass:\n" + out)

for failure in failures:
    print("FAILED: " + failure)
print("check_pe: %d failures" % len(failures))
sys.exit(1 if failures else 0)
