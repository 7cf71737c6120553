#include "base/pattern.h"

#include "base/errors.h"
#include "base/message.h"
#include "base/paths.h"

void validatePattern(const std::string &pattern) {
  if (pattern.empty()) return;
  if (pattern.front() == '/' || pattern.back() == '/' ||
      pattern.find("///") != std::string::npos)
    throw ErrorGenericCommandLine(_("invalid search string"));
}

std::string patternLiteral(const std::string &pattern) {
  size_t slash = pattern.rfind('/');
  return slash == std::string::npos ? pattern : pattern.substr(slash + 1);
}

PatternExpression::PatternExpression(const std::string &regex) {
  compiled_ = regcomp(&regex_, regex.c_str(), REG_EXTENDED | REG_NOSUB) == 0;
}

PatternExpression::~PatternExpression() {
  if (compiled_) regfree(&regex_);
}

bool PatternExpression::matches(const std::string &path) const {
  return !compiled_ || regexec(&regex_, path.c_str(), 0, nullptr, 0) == 0;
}

std::string patternRegex(const std::string &pattern) {
  std::string regex = ".*";
  size_t at = 0;
  for (size_t slash; (slash = pattern.find('/', at)) != std::string::npos;) {
    regex += escapeRegex(pattern.substr(at, slash - at));
    bool doubled = slash + 1 < pattern.size() && pattern[slash + 1] == '/';
    regex += doubled ? ".*/.*" : "[^/]*/[^/]*";
    at = slash + (doubled ? 2 : 1);
  }
  return regex + "$";
}

PatternRef compilePattern(const std::string &pattern) {
  if (pattern.find('/') == std::string::npos) return nullptr;
  auto expression = std::make_shared<const PatternExpression>(patternRegex(pattern));
  return expression->compiled() ? expression : nullptr;
}

bool matchesPattern(const PatternRef &expression, const std::string &path) {
  return !expression || expression->matches(path);
}

bool literalInLastComponent(std::string_view literal, std::string_view path) {
  size_t slash = path.rfind('/');
  size_t start = slash == std::string_view::npos ? 0 : slash + 1;
  return path.find(literal, start) != std::string_view::npos;
}
