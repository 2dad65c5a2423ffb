#pragma once

#include <QPalette>

// The application's own light and dark colours, used with the Fusion style when the user picks
// a fixed appearance; "Automatic" leaves the desktop's palette in place.
namespace AppearancePalettes {

QPalette light();
QPalette dark();

} // namespace AppearancePalettes
