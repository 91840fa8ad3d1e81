"""The instructions of a 32-bit x86 image against the 386, read from the
disassembly of its code sections (objdump -d, Intel syntax).

What the 386 with its 387 coprocessor executes is listed here; anything else
an image holds is named with the first processor that has it. The linker's
lists of static constructors and destructors lie at the end of .text and
read as "(bad)": that is data, not an instruction, and passes.
"""

import re
import subprocess

# The 8086, 186, 286 and 386 instructions, by the names objdump gives them
# (the string instructions without a size: "movsd" is SSE2's scalar move).
INTEGER_386 = set("""
aaa aad aam aas adc add and arpl bound bsf bsr bt btc btr bts call cbw cwde cwd cdq clc cld cli
clts cmc cmp cmps daa das dec div enter hlt idiv imul in inc ins
int int3 into iret iretd iretw ja jae jb jbe jcxz jecxz je jg jge jl jle jmp jne jno jnp jns jo jp
js lahf lar lds lea leave les lfs lgdt lgs lidt lldt lmsw lods loop loope loopne
lsl lss ltr mov movs movsx movzx mul neg nop not or out outs
pop popa popad popaw popf popfd popfw push pusha pushad pushaw pushf pushfd pushfw rcl rcr ret
retf retw lret rol ror sahf sal sar sbb scas seta setae setb setbe sete setg
setge setl setle setne setno setnp setns seto setp sets sgdt shl shld shr shrd sidt sldt smsw stc
std sti stos str sub test verr verw wait xchg xlat xor ljmp lcall
""".split())

# The 387's instructions.
FLOAT_387 = set("""
f2xm1 fabs fadd faddp fbld fbstp fchs fclex fnclex fcom fcomp fcompp fcos fdecstp fdiv fdivp fdivr
fdivrp ffree fiadd ficom ficomp fidiv fidivr fild fimul fincstp finit fninit fist fistp fisub
fisubr fld fld1 fldcw fldenv fldl2e fldl2t fldlg2 fldln2 fldpi fldz fmul fmulp fnop fpatan fprem
fprem1 fptan frndint frstor fsave fnsave fscale fsin fsincos fsqrt fst fstcw fnstcw fstenv fnstenv
fstp fstsw fnstsw fsub fsubp fsubr fsubrp ftst fucom fucomp fucompp fwait fxam fxch fxtract fyl2x
fyl2xp1
""".split())

ALLOWED = INTEGER_386 | FLOAT_387

PREFIXES = set("lock rep repz repnz repe repne data16 data32 addr16 addr32 cs ds es fs gs ss".split())

# The first processor of the instructions met most, for the message.
FIRST_PROCESSOR = [
    (re.compile(r"^(bswap|cmpxchg|xadd|invd|wbinvd|invlpg)$"), "486"),
    (re.compile(r"^(cpuid|rdtsc|rdmsr|wrmsr|cmpxchg8b|rsm)$"), "Pentium"),
    (re.compile(r"^(cmov\w+|fcmov\w+|fu?comip?|ud2|sysenter|sysexit|rdpmc|nop r/m)$"), "Pentium Pro"),
    (re.compile(r"^(pause|\w+[sp]d|movdq\w|movnti|lfence|mfence|clflush)$"), "Pentium 4"),
    (re.compile(r"^(\w+[sp]s|movnt\w+|prefetch\w*|sfence|ldmxcsr|stmxcsr)$"), "Pentium III"),
    (re.compile(r"^(emms|p[a-z]+[bwdq]|p(and|andn|or|xor)|mov[dq])$"), "Pentium MMX"),
]


def first_processor(mnemonic):
    for pattern, processor in FIRST_PROCESSOR:
        if pattern.match(mnemonic):
            return processor
    return "a processor after the 386"


def instructions(path, objdump):
    """(address, mnemonic) of each instruction in the image's code."""
    result = subprocess.run([objdump, "-d", "-M", "intel", "--no-show-raw-insn", path],
                            capture_output=True, text=True)
    if result.returncode != 0:
        raise ValueError("objdump cannot read it: " + result.stderr.strip().splitlines()[-1]
                         if result.stderr.strip() else "objdump cannot read it")
    for line in result.stdout.splitlines():
        fields = line.split("\t", 1)
        if len(fields) != 2 or not fields[0].strip().endswith(":"):
            continue
        address = fields[0].strip()[:-1]
        words = fields[1].split()
        while words and words[0] in PREFIXES:
            words = words[1:]
        if not words:
            continue
        mnemonic = words[0]
        # The 0F 1F form of nop, with an operand, came with the Pentium Pro;
        # the one-byte nop (90) is the 8086's.
        if mnemonic == "nop" and len(words) > 1:
            mnemonic = "nop r/m"
        yield address, mnemonic


def newer_than_386(path, objdump):
    """{mnemonic: (count, first address)} of what the 386 does not execute."""
    found = {}
    for address, mnemonic in instructions(path, objdump):
        if mnemonic in ALLOWED or mnemonic == "(bad)":
            continue
        count, first = found.get(mnemonic, (0, address))
        found[mnemonic] = (count + 1, first)
    return found


def describe(found):
    """One phrase per instruction: "cmove (Pentium Pro) 6 times, first at 0x401234"."""
    parts = []
    for mnemonic in sorted(found):
        count, first = found[mnemonic]
        parts.append("%s (%s) %d time%s, first at 0x%s" %
                     (mnemonic, first_processor(mnemonic), count, "" if count == 1 else "s", first))
    return parts
