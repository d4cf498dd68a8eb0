// Composes texts from templates with named {placeholders}. Arguments are taken by position, in
// the order of their placeholders; the names only label them for the reader. Six built-in names
// stand for the characters a template cannot hold directly: {_obrace} {_cbrace} {_cr} {_lf}
// {_crlf} {_tab}.
#pragma once

#include <array>
#include <concepts>

#include "foundation/format/format_engine.h"
#include "foundation/format/format_errors.h"
#include "foundation/text/ustring.h"

// The whole template is validated before anything is rendered; only the result allocates.
template <typename... Args>
requires(std::constructible_from<UString<UTF8>, const Args&>&&...)
    CopiedUString<UTF8> Format(UString<UTF8> templateText, const Args&... args) {
    const std::array<UString<UTF8>, sizeof...(Args)> arguments{UString<UTF8>(args)...};
    std::array<FormatBinding, sizeof...(Args)> bindings{};
    BindFormatArguments(templateText, arguments, bindings);
    CopiedUString<UTF8> result;
    RenderFormat(result, FormatTokenIterator::Start(templateText, bindings),
                 FormatTokenIterator::End(templateText, bindings));
    return result;
}
