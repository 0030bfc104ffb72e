#include "platform/CommandLine.h"

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

// Reads a run of backslashes at i; answers what they stand for and moves i on.
void ReadBackslashes(const WideString& text, std::size_t& i, WideString& argument) {
  std::size_t count = 0;
  while (i < text.size() && text[i] == u'\\') {
    ++count;
    ++i;
  }
  if (i < text.size() && text[i] == u'"') {
    argument.append(count / 2, u'\\');
    if (count % 2 == 1) {
      argument.push_back(u'"');
      ++i;
    }
  } else {
    argument.append(count, u'\\');
  }
}

}  // namespace

std::vector<WideString> SplitCommandLine(const WideString& parameters) {
  std::vector<WideString> arguments;
  std::size_t i = 0;
  for (;;) {
    while (i < parameters.size() && IsBlank(parameters[i])) ++i;
    if (i >= parameters.size()) break;
    WideString argument;
    bool quoted = false;
    while (i < parameters.size() && (quoted || !IsBlank(parameters[i]))) {
      const char16_t c = parameters[i];
      if (c == u'\\') {
        ReadBackslashes(parameters, i, argument);
      } else if (c == u'"' && quoted && i + 1 < parameters.size() && parameters[i + 1] == u'"') {
        argument.push_back(u'"');
        i += 2;
      } else if (c == u'"') {
        quoted = !quoted;
        ++i;
      } else {
        argument.push_back(c);
        ++i;
      }
    }
    arguments.push_back(argument);
  }
  return arguments;
}

WideString HostFormPaths(const WideString& parameters) {
  WideString text = parameters;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'\\') continue;
    const bool quoted = i > 0 && text[i - 1] == u'"';
    const std::size_t before = quoted ? i - 1 : i;
    if (before > 0 && !IsBlank(text[before - 1]) && text[before - 1] != u'=') continue;
    for (; i < text.size() && (quoted ? text[i] != u'"' : !IsBlank(text[i])); ++i)
      if (text[i] == u'\\') text[i] = u'/';
  }
  return text;
}
