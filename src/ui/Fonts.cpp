#include "ui/Fonts.h"

#include <array>

namespace {

struct FamilyMapping {
    const char* classic;
    const char* installed;
    QFont::StyleHint hint;
};

constexpr std::array<FamilyMapping, 6> Mappings{{
    {"Times New Roman", "Liberation Serif", QFont::Serif},
    {"MS Sans Serif", "Liberation Sans", QFont::SansSerif},
    {"Microsoft Sans Serif", "Liberation Sans", QFont::SansSerif},
    {"Arial", "Liberation Sans", QFont::SansSerif},
    {"Lucida Console", "Liberation Mono", QFont::Monospace},
    {"Courier New", "Liberation Mono", QFont::Monospace},
}};

const FamilyMapping* Find(const QString& family) {
    for (const FamilyMapping& mapping : Mappings) {
        if (family.compare(QLatin1String(mapping.classic), Qt::CaseInsensitive) == 0) return &mapping;
    }
    return nullptr;
}

}  // namespace

QString Fonts::Family(const QString& family) {
    const FamilyMapping* mapping = Find(family);
    return mapping ? QString::fromLatin1(mapping->installed) : family;
}

QFont Fonts::Get(const QString& family, double pointSize, bool bold) {
    QFont font(Family(family));
    // The style hint is what fontconfig falls back on when the Liberation fonts are missing.
    if (const FamilyMapping* mapping = Find(family)) font.setStyleHint(mapping->hint);
    if (pointSize > 0) font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}
