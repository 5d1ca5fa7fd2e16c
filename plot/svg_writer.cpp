// The SVG writer: text built in memory, then written as one output.
#include "plot/svg_writer.h"

#include <charconv>

#include "engine/output_file.h"

namespace {

const char* const REPLACEMENT = "\xEF\xBF\xBD";

// One decimal is a tenth of a pixel: as fine as any screen or printer needs.
void AppendCoordinate(std::string& out, float value)
{
    char text[32];
    const std::to_chars_result written =
        std::to_chars(text, text + sizeof text, static_cast<double>(value), std::chars_format::fixed, 1);
    out.append(text, written.ptr);
}

std::string Coordinate(float value)
{
    std::string text;
    AppendCoordinate(text, value);
    return text;
}

std::string Colour(const PlotColour& colour)
{
    static const char HEX[] = "0123456789abcdef";
    std::string text = "#";
    for (unsigned char part : {colour.red, colour.green, colour.blue}) {
        text += HEX[part >> 4];
        text += HEX[part & 15];
    }
    return text;
}

// The length of the UTF-8 sequence at `at`, or 0 when it is not one.
std::size_t Utf8Length(const std::string& text, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    unsigned lowest = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        lowest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        lowest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        lowest = 0x10000;
    } else {
        return 0;
    }
    if (at + length > text.size()) {
        return 0;
    }
    unsigned code = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return code < lowest || code > 0x10FFFF || surrogate ? 0 : length;
}

void AppendText(std::string& out, const SceneText& text)
{
    const std::string x = Coordinate(text.x);
    const std::string y = Coordinate(text.y);
    out +=
        "<text x=\"" + x + "\" y=\"" + y + "\" dy=\"0.35em\" font-size=\"" + std::to_string(text.size) + "\"";
    if (text.anchor != TextAnchor::start) {
        out += text.anchor == TextAnchor::middle ? " text-anchor=\"middle\"" : " text-anchor=\"end\"";
    }
    if (text.bold) {
        out += " font-weight=\"bold\"";
    }
    if (text.colour.red != 0 || text.colour.green != 0 || text.colour.blue != 0) {
        out += " fill=\"" + Colour(text.colour) + "\"";
    }
    if (text.vertical) {
        out += " transform=\"rotate(-90 " + x + " " + y + ")\"";
    }
    out += ">" + XmlText(text.text) + "</text>\n";
}

void AppendPath(std::string& out, const ScenePath& path)
{
    out += "<path fill=\"none\" stroke=\"" + Colour(path.colour) +
           "\" stroke-width=\"1.5\" stroke-linejoin=\"round\" stroke-linecap=\"round\"";
    if (path.dashed) {
        out += " stroke-dasharray=\"6 4\"";
    }
    out += " d=\"";
    bool first = true;
    for (std::size_t r = 0; r < path.line.RunCount(); ++r) {
        const std::span<const PlotPixel> run = path.line.Run(r);
        if (run.empty()) {
            continue;
        }
        for (std::size_t i = 0; i < run.size(); ++i) {
            if (!first) {
                out += ' ';
            }
            first = false;
            if (i == 0) {
                out += 'M';
            } else if (i == 1) {
                out += "L";
            }
            AppendCoordinate(out, run[i].x);
            out += ',';
            AppendCoordinate(out, run[i].y);
        }
        // A run of one point draws nothing as a line; a zero-length stroke
        // with round caps shows it as a dot.
        if (run.size() == 1) {
            out += " l0,0";
        }
    }
    out += "\"><title>" + XmlText(path.name) + "</title></path>\n";
    if (path.markers) {
        out += "<g fill=\"" + Colour(path.colour) + "\">\n";
        for (std::size_t r = 0; r < path.line.RunCount(); ++r) {
            for (const PlotPixel& at : path.line.Run(r)) {
                out +=
                    "<circle cx=\"" + Coordinate(at.x) + "\" cy=\"" + Coordinate(at.y) + "\" r=\"2.5\"/>\n";
            }
        }
        out += "</g>\n";
    }
}

}  // namespace

std::string XmlText(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const unsigned char byte = static_cast<unsigned char>(text[at]);
        if (byte >= 0x80) {
            const std::size_t length = Utf8Length(text, at);
            if (length == 0) {
                out += REPLACEMENT;
                ++at;
            } else {
                out.append(text, at, length);
                at += length;
            }
            continue;
        }
        switch (byte) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";  // attribute values are in double quotes
                break;
            default:
                if (byte < 0x20 || byte == 0x7F) {
                    out += REPLACEMENT;
                } else {
                    out += static_cast<char>(byte);
                }
        }
        ++at;
    }
    return out;
}

std::string SceneSvg(const Scene& scene)
{
    const std::string w = std::to_string(scene.width);
    const std::string h = std::to_string(scene.height);
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + w + "\" height=\"" + h +
           "\" viewBox=\"0 0 " + w + " " + h + "\" font-family=\"sans-serif\">\n";
    out += "<rect width=\"" + w + "\" height=\"" + h + "\" fill=\"#ffffff\"/>\n";
    out += "<g stroke=\"#e0e0e0\" stroke-width=\"1\">\n";
    for (const SceneLine& line : scene.lines) {
        if (line.grid) {
            out += "<line x1=\"" + Coordinate(line.x0) + "\" y1=\"" + Coordinate(line.y0) + "\" x2=\"" +
                   Coordinate(line.x1) + "\" y2=\"" + Coordinate(line.y1) + "\"/>\n";
        }
    }
    out += "</g>\n<g stroke=\"#000000\" stroke-width=\"1\">\n";
    for (const SceneLine& line : scene.lines) {
        if (!line.grid) {
            out += "<line x1=\"" + Coordinate(line.x0) + "\" y1=\"" + Coordinate(line.y0) + "\" x2=\"" +
                   Coordinate(line.x1) + "\" y2=\"" + Coordinate(line.y1) + "\"/>\n";
        }
    }
    for (const SceneBox& box : scene.plotAreas) {
        out += "<rect x=\"" + Coordinate(box.x) + "\" y=\"" + Coordinate(box.y) + "\" width=\"" +
               Coordinate(box.width) + "\" height=\"" + Coordinate(box.height) + "\" fill=\"none\"/>\n";
    }
    out += "</g>\n";
    for (const ScenePath& path : scene.paths) {
        AppendPath(out, path);
    }
    for (const SceneText& text : scene.texts) {
        AppendText(out, text);
    }
    out += "</svg>\n";
    return out;
}

void WriteSvgFile(const CString& path, const Scene& scene)
{
    const std::string svg = SceneSvg(scene);
    COutputFile output(path);
    output.Lines().WriteText(svg.c_str());
    output.Commit();
}
