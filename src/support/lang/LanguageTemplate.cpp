#include "support/lang/LanguageTemplate.h"

#include "support/lang/MessageCatalog.h"
#include "support/lang/WindowTranslation.h"

#include <map>
#include <sstream>

namespace kv {

namespace {

// Cyrillic letters take the UTF-8 lead bytes D0 and D1.
bool Russian(const std::string& text)
{
    for (const char c : text)
        if (static_cast<unsigned char>(c) == 0xD0 || static_cast<unsigned char>(c) == 0xD1)
            return true;
    return false;
}

// A comment holds one line.
std::string Comment(const std::string& text)
{
    std::string line = "; ";
    for (const char c : text)
        line += c == '\n' ? std::string("\\n") : std::string(1, c);
    return line + "\n";
}

}  // namespace

std::vector<TTranslatableText> WindowTexts()
{
    std::vector<TTranslatableText> texts;
    for (TLocalizedWindow* window : RegisteredWindows()) {
        const std::string className = window->ClassName();
        if (Russian(window->CaptionText()))
            texts.push_back({"forms", className, window->CaptionText()});
        for (const TLocalizedComponent& component : window->Components()) {
            const char* section = SectionOf(component.kind);
            if (section && Russian(component.text))
                texts.push_back({section, className + "." + component.name, component.text});
        }
    }
    return texts;
}

std::string LanguageTemplate()
{
    std::ostringstream out;
    out << "; Korvane language file. Give every key its text; the n-th key of [strings] is\n"
           "; message n, so keep every key and their order. A key left out keeps the Russian\n"
           "; text; a key left empty shows nothing.\n\n[strings]\n";
    const std::vector<TMessage>& catalog = MessageCatalog();
    auto message = catalog.begin();
    for (int id = 0; id < MessageCount(); ++id) {
        for (; message != catalog.end() && message->id == id; ++message)
            out << Comment(message->text);
        out << "id" << id << "=\n";
    }
    std::map<std::string, std::vector<TTranslatableText>> sections;
    for (TTranslatableText& text : WindowTexts())
        sections[text.section].push_back(std::move(text));
    for (const auto& [section, texts] : sections) {
        out << "\n[" << section << "]\n";
        for (const TTranslatableText& text : texts)
            out << Comment(text.text) << text.key << "=\n";
    }
    return out.str();
}

}  // namespace kv
