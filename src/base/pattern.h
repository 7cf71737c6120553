// What a search pattern means, as operations on paths: the literal after
// the last '/' must occur in a directory's own name, and the components
// before it in its ancestors' names.
#ifndef VOK_BASE_PATTERN_H
#define VOK_BASE_PATTERN_H

#include <regex.h>

#include <memory>
#include <string>
#include <string_view>

// Throws ErrorGenericCommandLine "invalid search string" for a pattern that
// starts or ends with '/' or holds "///".
void validatePattern(const std::string &pattern);
std::string patternLiteral(const std::string &pattern);

// The directory part as an anchored expression over the full path.
class PatternExpression {
 public:
  explicit PatternExpression(const std::string &regex);
  PatternExpression(const PatternExpression &) = delete;
  PatternExpression &operator=(const PatternExpression &) = delete;
  ~PatternExpression();
  bool compiled() const { return compiled_; }
  bool matches(const std::string &path) const;

 private:
  regex_t regex_;
  bool compiled_;
};
using PatternRef = std::shared_ptr<const PatternExpression>;

// Null when the pattern has no '/' or the expression does not compile;
// a null expression matches everything.
PatternRef compilePattern(const std::string &pattern);
// The expression text compilePattern uses (exposed for tests).
std::string patternRegex(const std::string &pattern);
bool matchesPattern(const PatternRef &expression, const std::string &path);
bool literalInLastComponent(std::string_view literal, std::string_view path);

#endif
