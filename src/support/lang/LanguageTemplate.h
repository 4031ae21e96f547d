#pragma once
// What a language file has to give, and a file to start a translation from.

#include <string>
#include <vector>

namespace kv {

struct TTranslatableText {
    std::string section;
    std::string key;
    std::string text;  // the built-in Russian text
};

// Each registered window's caption and its components' texts that are written in Russian
// (numbers and symbols need no translation), in window and component order.
std::vector<TTranslatableText> WindowTexts();

// Every message id in order, then WindowTexts() by section, each key left empty under its
// Russian text as a comment.
std::string LanguageTemplate();

}  // namespace kv
