// Formatting into a buffer, with the conversions and flags of the system's C
// runtime: %d %i %u %o %x %X %c %s %p and %%, the flags "-+ #0", a width and
// a precision (each also as "*"), and the sizes h, l, ll, I64, I32 and I.
// A floating-point or wide-character conversion, or one not known, consumes
// its argument and is written out as its own text ("%f").
#include "Runtime.h"

namespace {

// The formatted text, written as far as the buffer holds it and counted whole.
struct Sink {
    char* buffer;
    size_t capacity;
    size_t length;

    void Put(char character)
    {
        if (length < capacity)
            buffer[length] = character;
        ++length;
    }
    void Repeat(char character, int times)
    {
        for (; times > 0; --times)
            Put(character);
    }
    void Write(const char* text, size_t size)
    {
        for (size_t i = 0; i < size; ++i)
            Put(text[i]);
    }
};

enum Size { kSizeInt, kSizeShort, kSizeLong, kSize64, kSizePointer };

struct Conversion {
    bool left;      // '-'
    bool plus;      // '+'
    bool space;     // ' '
    bool alternate; // '#'
    bool zero;      // '0'
    int width;
    int precision; // -1: none given
    Size size;
};

// Divides `value` by a base of at most 16 and returns the remainder, with
// 32-bit divisions only (a 386 has no wider one, and no helper is linked).
unsigned int DivideSmall(unsigned long long* value, unsigned int base)
{
    unsigned int high = static_cast<unsigned int>(*value >> 32);
    unsigned int low = static_cast<unsigned int>(*value);
    unsigned int highQuotient = high / base;
    unsigned int part = ((high % base) << 16) | (low >> 16);
    unsigned int middleQuotient = part / base;
    part = ((part % base) << 16) | (low & 0xFFFFu);
    unsigned int lowQuotient = part / base;
    *value = (static_cast<unsigned long long>(highQuotient) << 32) | (middleQuotient << 16) | lowQuotient;
    return part % base;
}

// The digits of `value`, last first; returns how many.
int Digits(unsigned long long value, unsigned int base, bool upper, char* digits)
{
    const char* symbols = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    int count = 0;
    while (value != 0) {
        if ((value >> 32) == 0) {
            unsigned int small = static_cast<unsigned int>(value);
            digits[count++] = symbols[small % base];
            value = small / base;
        } else {
            digits[count++] = symbols[DivideSmall(&value, base)];
        }
    }
    return count;
}

void FormatInteger(Sink& out, const Conversion& form, unsigned long long magnitude, bool negative,
                   bool isSigned, unsigned int base, bool upper)
{
    char digits[24];
    int count = Digits(magnitude, base, upper, digits);
    int precision = form.precision < 0 ? 1 : form.precision;
    int zeros = precision > count ? precision - count : 0;

    char prefix[2];
    int prefixLength = 0;
    if (isSigned) {
        if (negative)
            prefix[prefixLength++] = '-';
        else if (form.plus)
            prefix[prefixLength++] = '+';
        else if (form.space)
            prefix[prefixLength++] = ' ';
    } else if (form.alternate && base == 16 && magnitude != 0) {
        prefix[prefixLength++] = '0';
        prefix[prefixLength++] = upper ? 'X' : 'x';
    } else if (form.alternate && base == 8 && magnitude != 0 && zeros == 0) {
        // The octal form of a number other than 0 starts with a zero, made
        // here unless the precision already gave one.
        zeros = 1;
    }

    int padding = form.width - (prefixLength + zeros + count);
    bool padWithZeros = form.zero && !form.left && form.precision < 0;
    if (!form.left && !padWithZeros)
        out.Repeat(' ', padding);
    out.Write(prefix, static_cast<size_t>(prefixLength));
    if (padWithZeros)
        out.Repeat('0', padding);
    out.Repeat('0', zeros);
    while (count > 0)
        out.Put(digits[--count]);
    if (form.left)
        out.Repeat(' ', padding);
}

void FormatText(Sink& out, const Conversion& form, const char* text, size_t length)
{
    if (form.precision >= 0 && length > static_cast<size_t>(form.precision))
        length = static_cast<size_t>(form.precision);
    int padding = form.width - static_cast<int>(length);
    if (!form.left)
        out.Repeat(form.zero ? '0' : ' ', padding);
    out.Write(text, length);
    if (form.left)
        out.Repeat(' ', padding);
}

long long SignedArgument(Size size, va_list* arguments)
{
    switch (size) {
    case kSizeShort:
        return static_cast<short>(va_arg(*arguments, int));
    case kSize64:
        return va_arg(*arguments, long long);
    case kSizePointer:
        return va_arg(*arguments, ptrdiff_t);
    case kSizeLong:
        return va_arg(*arguments, long);
    default:
        return va_arg(*arguments, int);
    }
}

unsigned long long UnsignedArgument(Size size, va_list* arguments)
{
    switch (size) {
    case kSizeShort:
        return static_cast<unsigned short>(va_arg(*arguments, unsigned int));
    case kSize64:
        return va_arg(*arguments, unsigned long long);
    case kSizePointer:
        return va_arg(*arguments, size_t);
    case kSizeLong:
        return va_arg(*arguments, unsigned long);
    default:
        return va_arg(*arguments, unsigned int);
    }
}

// A number of the format, or '*' and the next argument; a negative width
// taken from an argument means left alignment.
int Number(const char** format, va_list* arguments)
{
    if (**format == '*') {
        ++*format;
        return va_arg(*arguments, int);
    }
    int value = 0;
    for (; **format >= '0' && **format <= '9'; ++*format)
        if (value < 100000)
            value = value * 10 + (**format - '0');
    return value;
}

Size SizeOf(const char** format)
{
    const char* at = *format;
    Size size = kSizeInt;
    if (at[0] == 'h') {
        size = kSizeShort;
        at += 1;
    } else if (at[0] == 'l' && at[1] == 'l') {
        size = kSize64;
        at += 2;
    } else if (at[0] == 'l') {
        size = kSizeLong;
        at += 1;
    } else if (at[0] == 'I' && at[1] == '6' && at[2] == '4') {
        size = kSize64;
        at += 3;
    } else if (at[0] == 'I' && at[1] == '3' && at[2] == '2') {
        size = kSizeInt;
        at += 3;
    } else if (at[0] == 'I') {
        size = kSizePointer;
        at += 1;
    }
    *format = at;
    return size;
}

// One conversion, `format` just past its '%'; returns the format past it.
const char* Convert(Sink& out, const char* start, const char* format, va_list* arguments)
{
    Conversion form = {false, false, false, false, false, 0, -1, kSizeInt};
    for (;; ++format) {
        if (*format == '-')
            form.left = true;
        else if (*format == '+')
            form.plus = true;
        else if (*format == ' ')
            form.space = true;
        else if (*format == '#')
            form.alternate = true;
        else if (*format == '0')
            form.zero = true;
        else
            break;
    }
    form.width = Number(&format, arguments);
    if (form.width < 0) {
        form.left = true;
        form.width = -form.width;
    }
    if (*format == '.') {
        ++format;
        form.precision = Number(&format, arguments);
        if (form.precision < 0)
            form.precision = -1;
    }
    bool wide = *format == 'l' && (format[1] == 'c' || format[1] == 's');
    wide = wide || *format == 'w';
    form.size = SizeOf(&format);
    if (*format == 'w')
        ++format;

    char conversion = *format;
    if (conversion == '\0') {
        out.Write(start, static_cast<size_t>(format - start));
        return format;
    }
    ++format;
    switch (wide ? '\1' : conversion) {
    case 'd':
    case 'i': {
        long long value = SignedArgument(form.size, arguments);
        unsigned long long magnitude =
            value < 0 ? 0ull - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
        FormatInteger(out, form, magnitude, value < 0, true, 10, false);
        break;
    }
    case 'u':
        FormatInteger(out, form, UnsignedArgument(form.size, arguments), false, false, 10, false);
        break;
    case 'o':
        FormatInteger(out, form, UnsignedArgument(form.size, arguments), false, false, 8, false);
        break;
    case 'x':
    case 'X':
        FormatInteger(out, form, UnsignedArgument(form.size, arguments), false, false, 16, conversion == 'X');
        break;
    case 'p': {
        // Every digit of the address, in capitals, as the system's runtime
        // writes a pointer ("0X" before it with '#').
        Conversion pointer = form;
        pointer.precision = static_cast<int>(2 * sizeof(void*));
        FormatInteger(out, pointer, reinterpret_cast<size_t>(va_arg(*arguments, void*)), false, false, 16,
                      true);
        break;
    }
    case 'c': {
        char character = static_cast<char>(va_arg(*arguments, int));
        Conversion one = form;
        one.precision = -1; // a character is written whole
        FormatText(out, one, &character, 1);
        break;
    }
    case 's': {
        const char* text = va_arg(*arguments, const char*);
        if (text == NULL)
            text = "(null)";
        size_t limit = form.precision >= 0 ? static_cast<size_t>(form.precision) : static_cast<size_t>(-1);
        FormatText(out, form, text, LS_RUNTIME_NAME(strnlen)(text, limit));
        break;
    }
    case '%':
        out.Put('%');
        break;
    default:
        // Not formatted here: its argument is passed over, its text stays.
        if (conversion == 'e' || conversion == 'E' || conversion == 'f' || conversion == 'F' ||
            conversion == 'g' || conversion == 'G' || conversion == 'a' || conversion == 'A')
            (void)va_arg(*arguments, double);
        else if (conversion == 'c' || conversion == 'C')
            (void)va_arg(*arguments, int);
        else if (conversion == 's' || conversion == 'S' || conversion == 'n')
            (void)va_arg(*arguments, void*);
        out.Write(start, static_cast<size_t>(format - start));
        break;
    }
    return format;
}

// The whole text of `format`, as far as `count` characters of it fit.
size_t Format(char* buffer, size_t count, const char* format, va_list arguments)
{
    Sink out = {buffer, count, 0};
    va_list rest;
    va_copy(rest, arguments);
    while (*format != '\0') {
        if (*format != '%') {
            out.Put(*format++);
            continue;
        }
        format = Convert(out, format, format + 1, &rest);
    }
    va_end(rest);
    return out.length;
}

} // namespace

extern "C" {

int LS_RUNTIME_NAME(_vsnprintf)(char* buffer, size_t count, const char* format, va_list arguments)
{
    size_t length = Format(buffer, count, format, arguments);
    if (length < count)
        buffer[length] = '\0';
    return length <= count ? static_cast<int>(length) : -1;
}

int LS_RUNTIME_NAME(_snprintf)(char* buffer, size_t count, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    int length = LS_RUNTIME_NAME(_vsnprintf)(buffer, count, format, arguments);
    va_end(arguments);
    return length;
}

int LS_RUNTIME_NAME(vsnprintf)(char* buffer, size_t count, const char* format, va_list arguments)
{
    size_t length = Format(buffer, count, format, arguments);
    if (count != 0)
        buffer[length < count ? length : count - 1] = '\0';
    return static_cast<int>(length);
}

int LS_RUNTIME_NAME(snprintf)(char* buffer, size_t count, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    int length = LS_RUNTIME_NAME(vsnprintf)(buffer, count, format, arguments);
    va_end(arguments);
    return length;
}

} // extern "C"
