#include "model/face_attributes.h"

#include <optional>
#include <string>

namespace
{
char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::optional<int> HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return std::nullopt;
}

// The pair after an "x" or "c"; a pair cut short or holding a character that
// is not a hexadecimal digit adds nothing.
std::uint8_t HexPair(const std::string& name, std::size_t first)
{
    if (first + 1 >= name.size())
        return 0;
    const auto high = HexDigit(name[first]);
    const auto low = HexDigit(name[first + 1]);
    if (!high || !low)
        return 0;
    return static_cast<std::uint8_t>(*high * 16 + *low);
}

void ApplyLetter(char letter, ModelFace& attributes)
{
    switch (letter)
    {
    case '2': attributes.kind = 1; break;
    case 't': attributes.kind = 2; break;
    case 'm': attributes.kind = 3; break;
    case 'o': attributes.kind = 4; break;
    case 'w': attributes.flagW = 1; break;
    case 'b': attributes.flagB = 1; break;
    case 'f': attributes.flagF = 1; break;
    case 'e': attributes.flagE = 1; break;
    case 'n': attributes.flagN = 1; break;
    default: break;
    }
}
} // namespace

bool DecodeFaceAttributes(std::string_view materialName, ModelFace& attributes)
{
    std::string name(materialName);
    for (char& c : name)
        c = LowerAscii(c);
    if (name.size() < 5 || name.compare(0, 4, "skin") != 0 || name[4] < '0' || name[4] > '9')
        return false;

    CopyFaceAttributes(ModelFace{}, attributes);
    attributes.skin = name[4] - '0';
    std::size_t index = 5;
    while (index < name.size())
    {
        const char letter = name[index];
        if (letter == 'x' || letter == 'c')
        {
            std::uint8_t& sum = letter == 'x' ? attributes.valueX : attributes.valueC;
            sum = static_cast<std::uint8_t>(sum + HexPair(name, index + 1));
            index += 3; // the pair's characters are never read as letters
            continue;
        }
        ApplyLetter(letter, attributes);
        ++index;
    }
    return true;
}

void CopyFaceAttributes(const ModelFace& from, ModelFace& to)
{
    to.skin = from.skin;
    to.kind = from.kind;
    to.flagW = from.flagW;
    to.flagB = from.flagB;
    to.flagF = from.flagF;
    to.flagE = from.flagE;
    to.flagN = from.flagN;
    to.valueX = from.valueX;
    to.valueC = from.valueC;
}
