#!/usr/bin/env python3
"""Shows that tools/check_pe.py refuses each image made to break one of its
rules, passes an image that keeps them all, and passes the 32-bit
deliverables.

    check_pe_test.py CHECKER ALLOWED OBJDUMP BAD_IMAGE RULE_IMAGES PRODUCT_BIN
"""
import glob
import os
import struct
import subprocess
import sys

checker, allowed, objdump, bad, images, product = sys.argv[1:7]
shipped_rules = ["--no-tls", "--floor-386", objdump]


def run(*args):
    result = subprocess.run([sys.executable, checker, "--allowed", allowed] + list(args),
                            capture_output=True, text=True)
    return result.returncode, result.stdout


def image(name):
    return os.path.join(images, name + ".dll")


failures = []


def expect(condition, what):
    if not condition:
        failures.append(what)


# Imports newer than Windows 95 and NT 4.0, a DLL that is not the system's
# own, decorated exports, a wrong export set, an unreadable file.
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

# Instructions after the 386, each named with the processor that brought it;
# the 386's and 387's own (string moves, xchg, bsf, the x87) pass.
code, out = run(*(shipped_rules + [image("floor_image")]))
expect(code == 1, "an image with newer instructions must fail (exit %d)" % code)
for mnemonic, processor in [("cmove", "Pentium Pro"), ("cmpxchg", "486"), ("xadd", "486"), ("bswap", "486"),
                            ("rdtsc", "Pentium"), ("nop r/m", "Pentium Pro")]:
    expect("floor_image.dll: holds an instruction the 386 does not execute: %s (%s) 1 time" %
           (mnemonic, processor) in out, "%s must be named once:\n%s" % (mnemonic, out))
expect(len(out.splitlines()) == 6, "nothing but the six newer instructions may be named:\n" + out)

code, out = run(*(shipped_rules + [image("wide_image")]))
expect(code == 1 and "is not a 32-bit x86 image" in out, "a 64-bit image has no 386 floor:\n" + out)

# A TLS directory, refused where the rule is asked for.
code, out = run(*(shipped_rules + [image("tls_image")]))
expect(code == 1 and out.strip() == image("tls_image") + ": has a TLS directory, and Windows 95 loads no DLL "
       "that has one", "a TLS directory must be named, and nothing else:\n" + out)
code, out = run(image("tls_image"))
expect(code == 0, "without --no-tls the TLS directory is not judged:\n" + out)

# The C runtime DLL, which Windows 95 as first shipped lacks.
code, out = run(*(shipped_rules + [image("runtime_image")]))
expect(code == 1 and "imports 1 function from msvcrt.dll, which is not a DLL of the system's own" in out,
       "an import from msvcrt.dll must be named:\n" + out)

# An image that keeps the rules passes them all, and a measured one is
# reported without failing.
code, out = run(*(shipped_rules + [image("clean_image")]))
expect(code == 0 and out == "", "an image that keeps every rule must pass:\n" + out)
code, out = run(*(shipped_rules + ["--measure", image("floor_image"), image("tls_image")]))
expect(code == 0 and out.count("needs: ") == 7, "a measurement names what the images need and passes:\n" + out)

# The deliverables pass where they are 32-bit (the list and the floor are of
# 32-bit Windows).
checked = 0
for deliverable in sorted(glob.glob(product + "/*.exe") + glob.glob(product + "/*.dll")):
    with open(deliverable, "rb") as f:
        data = f.read(4096)
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if struct.unpack_from("<H", data, pe + 4)[0] != 0x14C:
        continue
    code, out = run(*(shipped_rules + [deliverable]))
    expect(code == 0, "a deliverable must pass:\n" + out)
    checked += 1

for failure in failures:
    print("FAILED: " + failure)
print("check_pe: %d 32-bit deliverables checked, %d failures" % (checked, len(failures)))
sys.exit(1 if failures else 0)
