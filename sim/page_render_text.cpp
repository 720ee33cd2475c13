// SPDX-License-Identifier: BSD-2-Clause-Patent
#include <algorithm>

#include "sim/page_render.h"

namespace sim {

namespace {

// A UTF-8 text cut into code points, one screen column each.
std::vector<std::string> CodePoints(const std::string &text) {
  std::vector<std::string> points;
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    points.push_back(text.substr(i, length));
    i += length;
  }
  return points;
}

// The text in pieces of at most `width` columns, each padded to `width`;
// an empty text is one blank piece.
std::vector<std::string> Wrap(const std::string &text, std::size_t width) {
  const std::vector<std::string> points = CodePoints(text);
  std::vector<std::string> pieces;
  for (std::size_t start = 0; start < points.size() || pieces.empty(); start += width) {
    std::string piece;
    const std::size_t end = std::min(points.size(), start + width);
    for (std::size_t i = start; i < end; ++i) {
      piece += points[i];
    }
    piece.append(width - (end > start ? end - start : 0), ' ');
    pieces.push_back(std::move(piece));
  }
  return pieces;
}

std::string Centered(const std::string &text, std::size_t width) {
  const std::size_t columns = std::min(CodePoints(text).size(), width);
  const std::size_t left = (width - columns) / 2;
  return std::string(left, ' ') + Wrap(text, width - left).front();
}

}  // namespace

std::string RenderPageText(const PageModel &page, std::size_t width) {
  width = std::max<std::size_t>(width, kLabelColumnWidth + 12);
  const std::size_t inner = width - 4;  // "| " ... " |"
  const std::size_t value_width = inner - kLabelColumnWidth - 2;
  const std::string rule = "+" + std::string(width - 2, '-') + "+\n";
  auto line = [](const std::string &content) { return "| " + content + " |\n"; };

  std::string out = rule + "|" + Centered(page.title, width - 2) + "|\n" + rule;
  for (const PageRow &row : page.rows) {
    if (row.kind != RowKind::kText) {
      for (const std::string &piece : Wrap(row.label, inner)) {
        out += line(piece);
      }
      continue;
    }
    const std::vector<std::string> labels = Wrap(row.label, kLabelColumnWidth);
    std::vector<std::string> values;
    for (const std::string &value_line : row.value.empty() ? std::vector<std::string>{""} : row.value) {
      for (std::string &piece : Wrap(value_line, value_width)) {
        values.push_back(std::move(piece));
      }
    }
    const std::size_t count = std::max(labels.size(), values.size());
    for (std::size_t i = 0; i < count; ++i) {
      const std::string label = i < labels.size() ? labels[i] : std::string(kLabelColumnWidth, ' ');
      const std::string value = i < values.size() ? values[i] : std::string(value_width, ' ');
      out += line(label + "  " + value);
    }
  }
  return out + rule;
}

}  // namespace sim
