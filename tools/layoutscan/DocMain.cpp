// layoutdoc: writes the printable keyboard chart (document B) and the plain-text list of every
// key's characters (file D) from the built layout libraries, so that both documents always
// show what the libraries type.
//
//   layoutdoc VARIANT0.dll VARIANT1.dll VARIANT2.dll CHART.html KEYS.txt
#include "LayoutTables.h"

#include <stdio.h>

#include <fstream>
#include <map>
#include <sstream>

namespace
{
const uint16_t kNone = 0xF000;
const uint16_t kDead = 0xF001;

struct Variant
{
    const char* english;
    const char* polish;
    std::map<uint8_t, CharacterRow> rows;   // by virtual key
    std::vector<uint16_t> scanToVk;
    std::vector<DeadKeyEntry> deadKeys;
};

const char* const kNames[3][2] = {
    {"basic", "podstawowy"},
    {"typographic", "typograficzny"},
    {"typographic with accents", "typograficzny z akcentami"},
};

std::string Utf8(uint16_t c)
{
    std::string s;
    if (c < 0x80)
        s += (char)c;
    else if (c < 0x800)
    {
        s += (char)(0xC0 | c >> 6);
        s += (char)(0x80 | (c & 0x3F));
    }
    else
    {
        s += (char)(0xE0 | c >> 12);
        s += (char)(0x80 | (c >> 6 & 0x3F));
        s += (char)(0x80 | (c & 0x3F));
    }
    return s;
}

std::string Html(uint16_t c)
{
    switch (c)
    {
    case '<': return "&lt;";
    case '>': return "&gt;";
    case '&': return "&amp;";
    case '"': return "&quot;";
    default: return Utf8(c);
    }
}

// How a character shows on a key: spaces by name, control codes not at all.
std::string Shown(uint16_t c, bool html)
{
    if (c == kNone || c == kDead || c < 0x20)
        return "";
    if (c == 0x20)
        return "";
    if (c == 0x00A0)
        return html ? "<small>NBSP</small>" : "NBSP";
    if (c == 0x202F)
        return html ? "<small>NNBSP</small>" : "NNBSP";
    return html ? Html(c) : Utf8(c);
}

bool Load(const char* path, int index, Variant& v)
{
    std::vector<uint8_t> bytes;
    CPeImage image;
    LayoutTables tables;
    std::vector<CharacterRow> rows;
    std::string error;
    if (!ReadFileBytes(path, bytes) || !image.Parse(bytes))
        error = "not a readable PE image";
    else if (LocateLayoutTables(image, tables, error)
             && ReadCharacters(image, tables, rows, v.deadKeys, error))
    {
        for (const CharacterRow& r : rows)
            v.rows[r.virtualKey] = r;
        v.scanToVk = tables.scanToVk;
        v.english = kNames[index][0];
        v.polish = kNames[index][1];
        return true;
    }
    fprintf(stderr, "layoutdoc: %s: %s\n", path, error.c_str());
    return false;
}

// Columns: plain, Shift, (Ctrl), AltGr, Shift+AltGr. A dead column shows its dead character.
uint16_t Column(const CharacterRow& r, int column, bool& dead)
{
    dead = false;
    if (column >= (int)r.characters.size())
        return kNone;
    uint16_t c = r.characters[column];
    if (c == kDead && column < (int)r.deadCharacters.size())
    {
        dead = true;
        return r.deadCharacters[column];
    }
    return c;
}

// The typing keys by rows, as scan codes; the 102nd key (0x56) sits left of Z.
const uint8_t kRow0[] = {0x29, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D};
const uint8_t kRow1[] = {0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x2B};
const uint8_t kRow2[] = {0x1E, 0x1F, 0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28};
const uint8_t kRow3[] = {0x56, 0x2C, 0x2D, 0x2E, 0x2F, 0x30, 0x31, 0x32, 0x33, 0x34, 0x35};

struct KeyboardRow
{
    const char* before;        // the wide key at the left
    const char* after;         // the wide key at the right
    const uint8_t* keys;
    int count;
};

const KeyboardRow kRows[] = {
    {nullptr, "Backspace", kRow0, 13},
    {"Tab", nullptr, kRow1, 13},
    {"Caps Lock", "Enter", kRow2, 11},
    {"Shift", "Shift", kRow3, 11},
};

const CharacterRow* RowOf(const Variant& v, uint8_t scanCode)
{
    if (scanCode >= v.scanToVk.size())
        return nullptr;
    auto it = v.rows.find((uint8_t)v.scanToVk[scanCode]);
    return it == v.rows.end() ? nullptr : &it->second;
}

std::string KeyCell(const Variant& v, uint8_t scanCode)
{
    const CharacterRow* r = RowOf(v, scanCode);
    if (!r)
        return "<td class=\"key\"></td>";
    std::string cells[4];
    bool deads[4];
    const int columns[4] = {1, 4, 0, 3};   // Shift, Shift+AltGr / plain, AltGr
    for (int i = 0; i < 4; ++i)
    {
        uint16_t c = Column(*r, columns[i], deads[i]);
        cells[i] = Shown(c, true);
        if (deads[i])
            cells[i] = "<span class=\"dead\">" + cells[i] + "</span>";
    }
    // A letter key shows its capital only, as keycaps do.
    if ((r->attributes & 1) && r->characters.size() > 1 && r->characters[1] != r->characters[0])
        cells[2].clear();
    std::ostringstream out;
    out << "<td class=\"key\"><table><tr><td>" << cells[0] << "</td><td class=\"ag\">" << cells[1]
        << "</td></tr><tr><td>" << cells[2] << "</td><td class=\"ag\">" << cells[3]
        << "</td></tr></table></td>";
    return out.str();
}

void WriteChart(std::ostream& out, const Variant* variants)
{
    out << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<title>Klawik &#8211; keyboard chart / tabela klawiatury</title>\n<style>\n"
           "@page { size: A4 landscape; margin: 10mm; }\n"
           "body { font-family: Arial, Helvetica, sans-serif; color: #000; margin: 0 1em; }\n"
           "h1 { font-size: 18pt; margin: 0.4em 0; }\n"
           "h2 { font-size: 14pt; margin: 0.8em 0 0.3em; }\n"
           "p { font-size: 10pt; }\n"
           ".board { border-collapse: separate; border-spacing: 3px; margin-bottom: 2px; }\n"
           ".key { width: 3.3em; height: 3.3em; border: 1px solid #555; border-radius: 4px;"
           " vertical-align: top; padding: 1px; }\n"
           ".key table { width: 100%; border-collapse: collapse; font-size: 12pt; }\n"
           ".key td { height: 1.45em; width: 50%; text-align: left; padding: 0 2px; }\n"
           ".key td.ag { color: #1a4fa0; text-align: right; }\n"
           ".wide { border: 1px solid #555; border-radius: 4px; background: #eee; font-size: 9pt;"
           " text-align: center; padding: 0 0.6em; }\n"
           ".dead { color: #b0200c; font-weight: bold; }\n"
           ".variant { page-break-after: always; }\n"
           ".dk { border-collapse: collapse; font-size: 11pt; }\n"
           ".dk td, .dk th { border: 1px solid #999; padding: 2px 6px; text-align: left; }\n"
           "</style>\n</head>\n<body>\n";
    out << "<h1>Klawik</h1>\n"
           "<p>On each key: top left Shift, bottom left the key alone, top right Shift+AltGr, bottom"
           " right AltGr (the right Alt key, or Ctrl+Alt). <span class=\"dead\">Red</span> marks a"
           " dead key: it types nothing at once and puts its accent on the next letter.<br>\n"
           "Na każdym klawiszu: u góry po lewej Shift, na dole po lewej sam klawisz, u góry po"
           " prawej Shift+AltGr, na dole po prawej AltGr (prawy Alt albo Ctrl+Alt). Kolorem"
           " <span class=\"dead\">czerwonym</span> oznaczono klawisze martwe: same nic nie piszą,"
           " tylko dodają akcent do następnej litery.</p>\n";
    for (int i = 0; i < 3; ++i)
    {
        const Variant& v = variants[i];
        out << "<div class=\"variant\">\n<h2>Variant " << i << ": " << v.english << " / Wariant "
            << i << ": " << v.polish << "</h2>\n";
        for (const KeyboardRow& row : kRows)
        {
            out << "<table class=\"board\"><tr>";
            if (row.before)
                out << "<td class=\"wide\">" << row.before << "</td>";
            for (int k = 0; k < row.count; ++k)
                out << KeyCell(v, row.keys[k]);
            if (row.after)
                out << "<td class=\"wide\">" << row.after << "</td>";
            out << "</tr></table>\n";
        }
        out << "<table class=\"board\"><tr><td class=\"wide\">Ctrl</td><td class=\"wide\">Alt</td>"
               "<td class=\"wide\" style=\"width:22em\">Space / Spacja";
        if (const CharacterRow* space = RowOf(v, 0x39))
        {
            bool dead;
            std::string a = Shown(Column(*space, 3, dead), true);
            std::string sa = Shown(Column(*space, 4, dead), true);
            if (!a.empty())
                out << " &#8212; AltGr: " << a;
            if (!sa.empty())
                out << ", Shift+AltGr: " << sa;
        }
        out << "</td><td class=\"wide\">AltGr</td><td class=\"wide\">Ctrl</td></tr></table>\n";
        if (!v.deadKeys.empty())
        {
            out << "<h2>Dead keys / Klawisze martwe</h2>\n<table class=\"dk\">\n";
            uint16_t accent = 0;
            for (const DeadKeyEntry& d : v.deadKeys)
            {
                if (d.next == 0x20 || d.next == d.accent)
                    continue;   // the accent itself, after Space or the dead key again
                if (d.accent != accent)
                {
                    if (accent)
                        out << "</td></tr>\n";
                    accent = d.accent;
                    out << "<tr><th class=\"dead\">" << Html(accent) << "</th><td>";
                }
                out << Html(d.next) << "&#8594;" << Html(d.composed) << " ";
            }
            if (accent)
                out << "</td></tr>\n";
            out << "</table>\n<p>Space or the dead key once more types the accent itself."
                   " / Spacja albo drugie naciśnięcie klawisza martwego pisze sam akcent.</p>\n";
        }
        out << "</div>\n";
    }
    out << "</body>\n</html>\n";
}

// A cell of the text list, padded to a fixed number of characters.
std::string Padded(const std::string& text, size_t width)
{
    size_t characters = 0;
    for (unsigned char c : text)
        characters += (c & 0xC0) != 0x80;
    return text + std::string(characters < width ? width - characters : 1, ' ');
}

std::string Trimmed(std::string text)
{
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

void WriteKeys(std::ostream& out, const Variant* variants)
{
    const char* nl = "\r\n";
    out << "\xEF\xBB\xBF" << "Klawik - keys and characters / klawisze i znaki" << nl << nl
        << "Columns / kolumny: key / klawisz, alone / sam, Shift, AltGr, Shift+AltGr." << nl
        << "* dead key / klawisz martwy; NBSP no-break space / spacja nierozdzielająca;" << nl
        << "NNBSP narrow no-break space / wąska spacja nierozdzielająca." << nl;
    for (int i = 0; i < 3; ++i)
    {
        const Variant& v = variants[i];
        out << nl << "Variant " << i << ": " << v.english << " / Wariant " << i << ": " << v.polish
            << nl << std::string(48, '-') << nl;
        for (const KeyboardRow& row : kRows)
            for (int k = 0; k < row.count; ++k)
            {
                const CharacterRow* r = RowOf(v, row.keys[k]);
                if (!r)
                    continue;
                bool dead;
                std::string line = Padded(Shown(Column(*r, r->attributes & 1 ? 1 : 0, dead), false), 6);
                const int columns[4] = {0, 1, 3, 4};
                for (int c : columns)
                {
                    std::string cell = Shown(Column(*r, c, dead), false);
                    if (dead)
                        cell += "*";
                    line += Padded(cell, 8);
                }
                out << Trimmed(line) << nl;
            }
        if (const CharacterRow* space = RowOf(v, 0x39))
        {
            bool dead;
            std::string line = Padded("Space", 6) + Padded("", 8) + Padded("", 8)
                + Padded(Shown(Column(*space, 3, dead), false), 8) + Shown(Column(*space, 4, dead), false);
            out << Trimmed(line) << nl;
        }
        if (v.deadKeys.empty())
            continue;
        out << nl << "Dead keys / klawisze martwe:" << nl;
        uint16_t accent = 0;
        for (const DeadKeyEntry& d : v.deadKeys)
        {
            if (d.next == 0x20 || d.next == d.accent)
                continue;
            if (d.accent != accent)
            {
                if (accent)
                    out << nl;
                accent = d.accent;
                out << Utf8(accent) << " :";
            }
            out << " " << Utf8(d.next) << Utf8(d.composed);
        }
        out << nl;
    }
    out << nl << "Keypad decimal key: '.' or ',', as chosen at installation." << nl
        << "Klawisz dziesiętny klawiatury numerycznej: '.' albo ',', jak wybrano przy instalacji."
        << nl;
}

bool WriteFile(const char* path, const std::string& text)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    if (file)
        return true;
    fprintf(stderr, "layoutdoc: cannot write %s\n", path);
    return false;
}
}

int main(int argc, char** argv)
{
    if (argc != 6)
    {
        fprintf(stderr, "usage: layoutdoc VARIANT0.dll VARIANT1.dll VARIANT2.dll CHART.html KEYS.txt\n");
        return 2;
    }
    Variant variants[3];
    for (int i = 0; i < 3; ++i)
        if (!Load(argv[1 + i], i, variants[i]))
            return 1;
    std::ostringstream chart, keys;
    WriteChart(chart, variants);
    WriteKeys(keys, variants);
    return WriteFile(argv[4], chart.str()) && WriteFile(argv[5], keys.str()) ? 0 : 1;
}
