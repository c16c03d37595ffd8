// Text helpers shared by the script reader and the code generator.
#pragma once

#include <string>
#include <vector>

// An identifier: a letter or '_' then letters, digits or '_', at most 63 long.
bool ShaderIsName(const std::string &s);
// Names the code gives a meaning of its own (iPos, oPos, Address, Out, ...).
bool ShaderIsReservedName(const std::string &s);
// Splits the inside of a block ("a=b;if(x>y){c=d;}") into statements.
int ShaderSplitBlock(const std::string &body, std::vector<std::string> &out, std::string &err);
// Replaces the identifier `name` in `text` by `with`; words after a '.' are
// swizzles and stay as they are.
std::string ShaderSubstitute(const std::string &text, const std::string &name,
                             const std::string &with);
// Replaces every identifier names[i] by withs[i] in one pass.
std::string ShaderSubstituteAll(const std::string &text, const std::vector<std::string> &names,
                                const std::vector<std::string> &withs);
// True when `text` uses the identifier `name`.
bool ShaderMentions(const std::string &text, const std::string &name);
// Position of the bracket closing the one at `open`, or npos.
size_t ShaderMatching(const std::string &s, size_t open);
