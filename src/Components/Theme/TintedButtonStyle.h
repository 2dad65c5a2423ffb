#pragma once

#include <QtGlobal>

// The look of a TintedButton: a capsule in one of four colour schemes. Callers give the
// variant and whatever differs from the defaults, e.g. {TintedButtonStyle::Plain, 24}.
struct TintedButtonStyle
{
    enum Variant {
        Tinted, // accent label on a faint accent capsule; white on the accent under the pointer
        Gray, // primary label on a faint gray capsule that deepens under the pointer
        Filled, // white label on the accent (red when destructive); darkens under the pointer
        Plain, // secondary label and no capsule until the pointer is over it
    };

    Variant variant = Tinted;
    // The fixed height; also sets the side padding (height x 0.42) and the width of an
    // icon-only button (a circle).
    qreal height = 26;
    // The label's pixel size, medium weight.
    qreal fontSize = 12;
    bool isIconOnly = false;
};
