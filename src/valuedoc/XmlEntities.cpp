#include "valuedoc/XmlEntities.h"

#include <array>

namespace XmlRpc {

namespace {

struct Entity {
    char character;
    std::string_view text;
};

constexpr std::array<Entity, 5> Entities { {
    { '<', "&lt;" },
    { '>', "&gt;" },
    { '&', "&amp;" },
    { '\'', "&apos;" },
    { '"', "&quot;" },
} };

const Entity* EntityFor(char c) {
    switch (c) {
    case '<':
        return &Entities[0];
    case '>':
        return &Entities[1];
    case '&':
        return &Entities[2];
    case '\'':
        return &Entities[3];
    case '"':
        return &Entities[4];
    default:
        return nullptr;
    }
}

} // namespace

std::string EntityEncode(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    // Runs of plain characters are copied whole; pictures stored as strings
    // make these texts long.
    std::size_t plain = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const Entity* entity = EntityFor(text[i]);
        if (entity) {
            out.append(text, plain, i - plain);
            out += entity->text;
            plain = i + 1;
        }
    }
    out.append(text, plain);
    return out;
}

std::string EntityDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t amp = text.find('&', pos);
        if (amp == std::string_view::npos) {
            out += text.substr(pos);
            break;
        }
        out += text.substr(pos, amp - pos);
        pos = amp + 1;
        char decoded = '&';
        for (const Entity& entity : Entities) {
            if (text.substr(amp).starts_with(entity.text)) {
                decoded = entity.character;
                pos = amp + entity.text.size();
                break;
            }
        }
        out += decoded;
    }
    return out;
}

} // namespace XmlRpc
