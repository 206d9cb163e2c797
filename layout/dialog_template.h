// Reading and rewriting the font of an in-memory dialog template (DLGTEMPLATE
// or DLGTEMPLATEEX). Plain bytes, no windows.h: the layout is fixed by the
// resource format, and the rewriting is tested natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace torva::win {

// The typeface of a template with DS_SETFONT; nullopt when it has none or the
// bytes are not a whole template header.
std::optional<std::u16string> TemplateFace(const std::uint8_t* data, std::size_t size);

// A copy of the template with its typeface replaced and every control kept,
// still on its DWORD boundary; nullopt when the template has no font.
std::optional<std::vector<std::uint8_t>> WithTemplateFace(const std::uint8_t* data,
                                                          std::size_t size,
                                                          const std::u16string& face);

}  // namespace torva::win
