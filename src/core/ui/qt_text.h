#pragma once

// Data files hold Windows-1250 bytes; widgets hold Unicode. Text crosses here and nowhere else.
#include <QString>

#include <string>
#include <string_view>

namespace savorel::ui {

QString FromCp1250(std::string_view bytes);
std::string ToCp1250(const QString& text);

} // namespace savorel::ui
