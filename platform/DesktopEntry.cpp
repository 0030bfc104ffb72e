#include "platform/DesktopEntry.h"

namespace {

// The escapes of every string value: a backslash and the control characters.
std::string StringValue(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
  return out;
}

// One argument of the Exec key: quoted when it holds a reserved character,
// with '"', '`', '$' and '\' escaped inside the quotes, and '%' doubled, as
// field codes start with it.
std::string ExecArgument(const std::string& argument) {
  constexpr const char* Reserved = " \t\n\"'\\><~|&;$*?#()`";
  std::string quoted;
  for (char c : argument) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    quoted += c == '%' ? std::string("%%") : std::string(1, c);
  }
  if (!argument.empty() && argument.find_first_of(Reserved) == std::string::npos) return quoted;
  return '"' + quoted + '"';
}

}  // namespace

std::string DesktopEntry(const std::string& name, const std::string& program,
                         const std::vector<std::string>& arguments, const std::string& directory) {
  std::string exec = ExecArgument(program);
  for (const std::string& argument : arguments) exec += ' ' + ExecArgument(argument);
  std::string entry = "[Desktop Entry]\nType=Application\nVersion=1.0\n";
  entry += "Name=" + StringValue(name) + "\n";
  entry += "Exec=" + StringValue(exec) + "\n";
  if (!directory.empty()) entry += "Path=" + StringValue(directory) + "\n";
  entry += "Terminal=false\n";
  return entry;
}
