#!/bin/sh
# The walkers' mutation table, run on demand (not part of scripts/test.sh):
# each rule's enforcing check and backstop (see the rules at the top of
# cleaners/walkers/TreeWalk.h) is broken on purpose, one at a time, in a copy
# of the sources; the walkers' tests are built and run against it, and a
# table shows which tests caught each fault. Every fault must be caught: a
# fault no test catches is a rule no test guards, and the script exits 1.
#
#   tests/cleaners/walkers/mutants.sh [-d work folder] [-n display] [-t trees] [-m id,...]
#
#   -d  where the copy, its x86_64 build and its own Wine prefix go
#       (default /tmp/larkspire-mutants; never inside the repository)
#   -n  first display number for xvfb-run (default 230)
#   -t  random trees of the model test per run (default 12)
#   -m  only these mutants (by number)
#
# The copy's Wine prefix is put back from a pristine copy before each run:
# a fault may remove what the walkers protect, and only in the copy. It takes
# a first build of the whole copy, then about three minutes a fault.
set -eu

repo=$(cd "$(dirname "$0")/../../.." && pwd)
work=/tmp/larkspire-mutants
display=230
trees=12
only=
while getopts d:n:t:m: option; do
    case $option in
    d) work=$OPTARG ;;
    n) display=$OPTARG ;;
    t) trees=$OPTARG ;;
    m) only=$OPTARG ;;
    *) echo "usage: $0 [-d work folder] [-n display] [-t trees] [-m id,...]" >&2; exit 2 ;;
    esac
done
mkdir -p "$work"
work=$(cd "$work" && pwd)
case $work/ in "$repo"/*) echo "mutants: $work lies inside the repository" >&2; exit 2 ;; esac

echo "mutants: copying the sources to $work/src"
mkdir -p "$work/src"
tar -C "$repo" --exclude=./build --exclude=./.git -cf - . | tar -C "$work/src" -xf -
mkdir -p "$work/src/build"
[ -e "$work/src/build/wine32" ] || ln -s "$repo/build/wine32" "$work/src/build/wine32" 2>/dev/null || true
build=$work/build
if [ ! -f "$build/test-build/CMakeCache.txt" ]; then
    echo "mutants: a first build of the copy (x86_64) in $build"
    (cd "$work/src" && scripts/build.sh x86_64 "$build" >"$work/first-build.log" 2>&1) ||
        { echo "mutants: the copy does not build; see $work/first-build.log" >&2; exit 1; }
fi

exec python3 - "$work" "$build" "$display" "$trees" "$only" <<'PYTHON'
import os, re, shutil, subprocess, sys

work, build, display, trees, only = sys.argv[1:6]
src = os.path.join(work, "src")
walkers = os.path.join(src, "cleaners", "walkers")
tests = os.path.join(build, "tests")
wine_root = os.path.join(build, "wine")
pristine = os.path.join(work, "wine-pristine")

# The roads these machines take (Wine's) and the tests of no road; a fault
# seen only on another road names its tests itself.
WINE_ROAD = "-*/Windows9x:*/WindowsNT4:*/Windows2000:*/WindowsVista"

# number, rule (TreeWalk.h), fault, file, [(text, replacement)], test filter
MUTANTS = [
    (1, 1, "the pinned-folder check accepts a link (a folder not lying in its parent)", "PinnedFolder.cpp",
     [("    return Check(judge) && LiesDirectlyIn(handle_, parent.Resolved());",
       "    Check(judge);\n    return handle_ != INVALID_HANDLE_VALUE;")], WINE_ROAD),
    (2, 1, "a file is deleted without asking where it lies (Wine's links to files)", "FolderHandle.cpp",
     [("    bool deleted = LiesDirectlyIn(entry, folder) && DeleteOnClose(entry);",
       "    bool deleted = DeleteOnClose(entry);")], WINE_ROAD),
    (3, 2, "a re-spelled name is accepted (no read-back of the ANSI spelling)", "EntryNames.cpp",
     [("    bool same = backLength == length;\n    for (int i = 0; same && i < length; ++i)\n        same = back[i] == wide[i];",
       "    bool same = backLength > 0;")], WINE_ROAD),
    (4, 2, "a device name is taken for a plain name", "EntryNames.cpp",
     [("    return !onlyDots && last != '.' && last != ' ' && !IsDeviceNameOf(name);",
       "    return !onlyDots && last != '.' && last != ' ';")], WINE_ROAD),
    (5, 3, "the volume-root test is dropped", "ProtectedFolders.cpp",
     [("above_.Contains(identity) || IsVolumeRoot(folder))", "above_.Contains(identity))")], WINE_ROAD),
    (6, 3, "the chain test never refuses (inside a folder protected whole)", "ProtectedFolders.cpp",
     [("    return NearestMark(located ? physical : full, located) == kMarkedWhole;", "    return false;")],
     WINE_ROAD),
    (7, 3, "a folder exempt from its system folder is not honoured (Windows' Temp)", "ProtectedFolders.cpp",
     [("            if (known && exempt_.Contains(identity))\n                return kMarkedExempt;\n", "")],
     WINE_ROAD),
    (8, 3, "a protected entry is dropped (ProgramData\\Microsoft)", "ProtectedTable.cpp",
     [('    SHELL(CSIDL_COMMON_APPDATA, "\\\\Microsoft", W, W),\n', "")], WINE_ROAD),
    (9, 3, "the Windows folder is protected at and above only, not whole", "ProtectedTable.cpp",
     [('    {source, csidl, NULL, name, "", kAsNamed, W, W},', '    {source, csidl, NULL, name, "", kAsNamed, A, A},')],
     WINE_ROAD),
    (10, 3, "the user's own folders are not whole against a setting", "ProtectedTable.cpp",
     [("#define DATA W, A", "#define DATA A, A")], WINE_ROAD),
    (11, 3, "the folders above a location are not chained", "ProtectedFoldersBuild.cpp",
     [("        chained_.Add(kProtectAtOrAbove, folder);\n        HANDLE handle = ProbeFolderThroughLinks(folder);",
       "        chained_.Add(kProtectAtOrAbove, folder);\n        return;\n        HANDLE handle = ProbeFolderThroughLinks(folder);")],
     WINE_ROAD),
    (12, 3, "95/98 let a SUBST or network drive through", "ProtectedFolders.cpp",
     [("    if (Platform().reach != kReachByName)\n        return false;\n    if (!IsDriveLetter(full[0])",
       "    return false;\n    if (!IsDriveLetter(full[0])")], "Windows9xWalk.*:*/Windows9x"),
    (13, 4, "a drive root inside a protected folder is judged as a root of its own", "ProtectedFolders.cpp",
     [("            return RootMark(folder, hops);", "            return kUnmarked;")], WINE_ROAD),
    (14, 5, "an incomplete set does not refuse", "ProtectedFolders.cpp",
     [("    if (incomplete_ || TrimmedLength(full) <= 3", "    if (TrimmedLength(full) <= 3")], WINE_ROAD),
    (15, 5, "a location the path rules cannot read is dropped silently", "ProtectedFoldersBuild.cpp",
     [("        // \"\\\\?\\\", say): what it protects cannot be told.\n        incomplete_ = true;\n",
       "        // \"\\\\?\\\", say): what it protects cannot be told.\n")], WINE_ROAD),
    (16, 6, "the connected-files flag is dropped", "Recycling.cpp",
     [(" | FOF_NOERRORUI | NoConnectedElementsFlag();", " | FOF_NOERRORUI;")], WINE_ROAD),
    (17, 6, "the folders above the top are not held for the shell", "PinnedFolder.cpp",
     [("bool HeldChain::Hold(const char* shellPath, const PinnedFolder& top)\n{\n",
       "bool HeldChain::Hold(const char* shellPath, const PinnedFolder& top)\n{\n    if (top.Known())\n        return shellPath[0] != '\\0';\n")],
     WINE_ROAD),
    (18, 6, "a walked folder is held with delete sharing (it can be renamed)", "FolderIdentity.cpp",
     [("const DWORD kShareNoDelete = FILE_SHARE_READ | FILE_SHARE_WRITE;",
       "const DWORD kShareNoDelete = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;")], WINE_ROAD),
    (19, 6, "files are not looked at again before their batch", "Recycling.cpp",
     [("    KeepPlainFiles(folder);\n    if (count_ == 0", "    if (count_ == 0")], WINE_ROAD),
    (20, 6, "a hidden folder is recycled without its re-check", "TreeWalk.cpp",
     [("    if (HoldsNoLink(pin, entry, *context.judge, depth, &again, keep) && SameIdentity(scanned, again) &&\n        pin.StillFolder(entry, scanned))",
       "    if (true)")], "*ShellHandOver*:-*/Windows9x:*/Wine"),
    (21, 6, "a scan's pins are let go before the shell returns (Wine)", "TreeWalk.cpp",
     [("    HeldFolders* keep = Platform().subfolderPinsBlockMoves ? NULL : &held;", "    HeldFolders* keep = NULL;")],
     WINE_ROAD),
    (22, 6, "the link scan passes over a link", "LinkScan.cpp",
     [("        if (IsLink(child->attributes))\n            clean = false;\n        else if",
       "        if (IsLink(child->attributes))\n            continue;\n        else if")], WINE_ROAD),
    (23, 7, "a file item takes a folder", "TreeWalk.cpp",
     [("    if (target == kTargetFile || !OpenTop(full, &top))", "    if (!OpenTop(full, &top))")], WINE_ROAD),
    (24, 8, "the critical-error box is not turned off", "WalkPlatform.cpp",
     [("setThreadMode_(SEM_FAILCRITICALERRORS, &previous_)", "setThreadMode_(0, &previous_)"),
      ("    UINT before = SetErrorMode(SEM_FAILCRITICALERRORS);\n    SetErrorMode(before | SEM_FAILCRITICALERRORS);",
       "    UINT before = SetErrorMode(0);\n    SetErrorMode(before);")], WINE_ROAD),
    (25, 9, "the walk stops three folders down (where paths grow long)", "LinkScan.h",
     [("const int kMaxWalkDepth = 128;", "const int kMaxWalkDepth = 3;")], WINE_ROAD),
    (26, 10, "an NT without the native listing call walks anyway", "WalkPlatform.cpp",
     [("    platform.reach = native ? kReachByHandle : kReachNothing;", "    platform.reach = kReachByHandle;")],
     WINE_ROAD),
    (27, 3, "the web browser caches judged as folders the user named", "../../webcaches/CacheWalk.cpp",
     [("run_(kNamedBySetting, recycle, removeFolders)", "run_(kNamedByUser, recycle, removeFolders)")], "*"),
]

# The test programs that a fault in a file of the walkers' callers is run
# against instead of the walkers' own.
CALLER_TESTS = {"../../webcaches/CacheWalk.cpp": ("webcaches_tests",)}
WALKER_TESTS = ("tree_walk_tests", "walk_model_tests", "netscape_tests")

def run(command, **kwargs):
    return subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, errors="replace",
                          **kwargs)

def build_tests():
    for args in (["cmake", "--build", build, "--target", "lscleaning", "LSCleaners"],
                 ["cmake", "--build", os.path.join(build, "test-build"), "--target", "tree_walk_tests",
                  "walk_model_tests", "netscape_tests", "webcaches_tests"]):
        done = run(args)
        if done.returncode != 0:
            return done.stdout
    return None

def restore_prefix():
    subprocess.run(["/usr/lib/wine/wineserver", "-k"], env=dict(os.environ, WINEPREFIX=os.path.join(wine_root, "prefix")),
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if os.path.isdir(pristine):
        shutil.rmtree(wine_root, ignore_errors=True)
        subprocess.run(["cp", "-a", pristine, wine_root], check=True)

def failures(test_filter, programs=WALKER_TESTS):
    env = dict(os.environ, LARKSPIRE_WALK_TREES=trees)
    failed = set()
    for program in programs:
        filter_argument = "--gtest_filter=" + (test_filter if program in ("tree_walk_tests", "walk_model_tests") else "*")
        done = run(["timeout", "1500", "xvfb-run", "-a", "-n", display, "-s", "-screen 0 1280x1024x24",
                    os.path.join(build, "wine-run.sh"), os.path.join(tests, program + ".exe"), "--gtest_brief=1",
                    filter_argument], env=env)
        for line in done.stdout.splitlines():
            found = re.match(r"\[  FAILED  \] ([A-Za-z][^ ,]*)", line)
            if found:
                failed.add(re.sub(r"^Branches/", "", found.group(1)))
        if done.returncode not in (0, 1):
            failed.add(program + " (exit %d)" % done.returncode)
    return sorted(failed)

def apply(path, pairs):
    text = open(path, encoding="utf-8").read()
    for old, new in pairs:
        if text.count(old) != 1:
            return None, "the text to break is not in %s exactly once: %r" % (os.path.basename(path), old[:60])
        text = text.replace(old, new)
    return text, None

selected = [m for m in MUTANTS if not only or str(m[0]) in only.split(",")]
print("mutants: the unbroken walkers first")
problem = build_tests()
if problem:
    print(problem[-3000:])
    sys.exit(1)
if not os.path.isdir(pristine):
    baseline = failures(WINE_ROAD)  # makes the prefix
    restore_prefix()
    subprocess.run(["cp", "-a", wine_root, pristine], check=True)
else:
    restore_prefix()
    baseline = failures(WINE_ROAD)
if baseline:
    print("mutants: the unbroken walkers fail already: " + ", ".join(baseline))
    sys.exit(1)

rows = []
for number, rule, fault, name, pairs, test_filter in selected:
    path = os.path.join(walkers, name)
    original = open(path, encoding="utf-8").read()
    broken, problem = apply(path, pairs)
    if problem:
        rows.append((number, rule, fault, name, "NOT APPLIED: " + problem))
        continue
    try:
        open(path, "w", encoding="utf-8").write(broken)
        problem = build_tests()
        if problem:
            caught = ["does not build: " + problem.strip().splitlines()[-1]]
        else:
            restore_prefix()
            caught = failures(test_filter, CALLER_TESTS.get(name, WALKER_TESTS))
    finally:
        open(path, "w", encoding="utf-8").write(original)
    rows.append((number, rule, fault, name, ", ".join(caught) if caught else "CAUGHT BY NO TEST"))
    print("mutant %d: %s" % (number, rows[-1][4]), flush=True)
build_tests()
restore_prefix()

print("\n| # | rule | fault | in | tests that caught it |\n|---|---|---|---|---|")
for row in rows:
    print("| %d | %d | %s | %s | %s |" % row)
missed = [row for row in rows if row[4].startswith(("CAUGHT BY NO TEST", "NOT APPLIED"))]
print("\n%d faults, %d caught" % (len(rows), len(rows) - len(missed)))
sys.exit(1 if missed else 0)
PYTHON
