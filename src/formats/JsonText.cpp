#include "formats/JsonText.h"

#include <array>
#include <string>

namespace {

// The escapes of the characters below U+0020, made once.
const std::array<std::string, 32>& ControlEscapes()
{
    static const std::array<std::string, 32> escapes = [] {
        std::array<std::string, 32> made;
        static const char hex[] = "0123456789abcdef";
        for (int c = 0; c < 32; ++c) {
            made[size_t(c)] = std::string("\\u00") + hex[c >> 4] + hex[c & 15];
        }
        made['\b'] = "\\b";
        made['\f'] = "\\f";
        made['\n'] = "\\n";
        made['\r'] = "\\r";
        made['\t'] = "\\t";
        return made;
    }();
    return escapes;
}

} // namespace

void AppendJsonString(CUtf8Out& out, QStringView text)
{
    const auto& controls = ControlEscapes();
    out.Char('"');
    AppendEscaped(out, text, [&controls](QChar c) -> const char* {
        if (c.unicode() < 32) {
            return controls[c.unicode()].c_str();
        }
        return c == u'"' ? "\\\"" : c == u'\\' ? "\\\\" : nullptr;
    });
    out.Char('"');
}

void AppendJsonStrings(CUtf8Out& out, const QStringList& texts)
{
    out.Char('[');
    for (qsizetype i = 0; i < texts.size(); ++i) {
        if (i > 0) {
            out.Char(',');
        }
        AppendJsonString(out, texts[i]);
    }
    out.Char(']');
}
