#include "addin/publishers/TextureImageNames.h"

namespace
{
// What a path of no ASCII letter or digit is numbered after.
constexpr char16_t kNameless[] = u"texture";

bool LetterOrDigit(char16_t c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool Separator(char16_t c)
{
    return c == u'/' || c == u'\\';
}
} // namespace

std::u16string TextureImageNames::PreferredName(std::u16string_view path)
{
    std::u16string name;
    for (char16_t c : path)
        if (LetterOrDigit(c))
            name.push_back(c);
    if (name.size() > kMaxLength)
        name.erase(0, name.size() - kMaxLength);
    return name;
}

std::u16string TextureImageNames::FileKey(std::u16string_view path)
{
    std::u16string key;
    std::size_t start = 0;
    while (start <= path.size())
    {
        std::size_t end = start;
        while (end < path.size() && !Separator(path[end]))
            ++end;
        const std::u16string_view component = path.substr(start, end - start);
        // A leading separator stays: it makes the path absolute.
        if (start == 0 && component.empty() && end < path.size())
            key.push_back(u'/');
        else if (!component.empty() && component != u".")
        {
            if (!key.empty() && key.back() != u'/')
                key.push_back(u'/');
            key.append(component);
        }
        start = end + 1;
    }
    return key;
}

const std::u16string* TextureImageNames::FindKey(const TextureFileKey& file) const
{
    const auto found = byFile_.find(file);
    return found == byFile_.end() ? nullptr : &found->second;
}

const std::u16string* TextureImageNames::Find(const TextureFileIdentity& file) const
{
    return FindKey(TextureFileKey(file));
}

const std::u16string* TextureImageNames::Find(const std::u16string& path) const
{
    return FindKey(TextureFileKey(FileKey(path)));
}

std::u16string TextureImageNames::Choose(const std::u16string& path)
{
    std::u16string preferred = PreferredName(path);
    if (preferred.empty())
        preferred = kNameless;
    if (taken_.count(preferred) == 0)
        return preferred;
    // The first free name from the number after the last one given; the
    // preferred name's front gives way to the number's digits.
    unsigned long& number = nextNumber_.try_emplace(preferred, 2).first->second;
    for (;; ++number)
    {
        const std::string digits = std::to_string(number);
        const std::size_t room = kMaxLength - digits.size();
        std::u16string name =
            preferred.size() > room ? preferred.substr(preferred.size() - room) : preferred;
        name.append(digits.begin(), digits.end());
        if (taken_.count(name) == 0)
        {
            ++number;
            return name;
        }
    }
}

void TextureImageNames::AddKey(const TextureFileKey& file, const std::u16string& name)
{
    byFile_.emplace(file, name);
    taken_.insert(name);
}

void TextureImageNames::Add(const TextureFileIdentity& file, const std::u16string& name)
{
    AddKey(TextureFileKey(file), name);
}

void TextureImageNames::Add(const std::u16string& path, const std::u16string& name)
{
    AddKey(TextureFileKey(FileKey(path)), name);
}
