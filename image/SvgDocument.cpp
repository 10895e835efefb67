// The bounds check of SVG documents: a small scan of the XML that needs to know
// only elements, their nesting, ids and <use> references.
#include "image/SvgDocument.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <unordered_map>

#include "platform/Tr.h"

namespace quelo {

namespace {

ISvgRenderer* installedRenderer = nullptr;

struct Node {
  int32_t firstChild = -1;
  int32_t nextSibling = -1;
  int32_t ref = -1;  // the element a <use> copies
  bool hidden = false;  // drawn only through a <use>: <defs>, <symbol>
};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

class Scanner {
 public:
  Scanner(const char* data, size_t size) : s_(data, size) {}

  SvgProblem Run() {
    size_t i = 0;
    bool sawSvg = false;
    while (true) {
      const size_t lt = s_.find('<', i);
      if (lt == std::string_view::npos) break;
      const std::string_view rest = s_.substr(lt);
      if (StartsWith(rest, "<!--")) {
        i = After(lt + 4, "-->");
      } else if (StartsWith(rest, "<![CDATA[")) {
        i = After(lt + 9, "]]>");
      } else if (StartsWith(rest, "<?")) {
        i = After(lt + 2, "?>");
      } else if (StartsWith(rest, "<!")) {
        // A document type, possibly with an internal subset in brackets.
        size_t j = lt + 2;
        int bracket = 0;
        for (; j < s_.size(); ++j) {
          if (s_[j] == '[') ++bracket;
          else if (s_[j] == ']') --bracket;
          else if (s_[j] == '>' && bracket <= 0) break;
        }
        if (s_.substr(lt, j - lt).find("<!ENTITY") != std::string_view::npos) return SvgProblem::Entities;
        i = j + 1;
      } else if (StartsWith(rest, "</")) {
        if (!open_.empty()) open_.pop_back();
        i = After(lt + 2, ">");
      } else {
        size_t end = 0;
        bool selfClosing = false;
        const SvgProblem p = Element(lt + 1, end, selfClosing, sawSvg);
        if (p != SvgProblem::None) return p;
        i = end;
      }
      if (i >= s_.size()) break;
    }
    if (!sawSvg) return SvgProblem::NotSvg;
    return Weigh();
  }

 private:
  static bool StartsWith(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }

  size_t After(size_t from, std::string_view end) const {
    const size_t k = s_.find(end, from);
    return k == std::string_view::npos ? s_.size() : k + end.size();
  }

  // Reads one start tag from just after its '<'.
  SvgProblem Element(size_t i, size_t& end, bool& selfClosing, bool& sawSvg) {
    size_t j = i;
    while (j < s_.size() && !IsSpace(s_[j]) && s_[j] != '>' && s_[j] != '/') ++j;
    const std::string_view name = s_.substr(i, j - i);
    const size_t colon = name.rfind(':');
    const std::string_view local = colon == std::string_view::npos ? name : name.substr(colon + 1);
    if (local == "svg") sawSvg = true;
    if (nodes_.size() >= static_cast<size_t>(kMaxSvgElements)) return SvgProblem::TooManyElements;
    const int32_t index = static_cast<int32_t>(nodes_.size());
    nodes_.emplace_back();
    nodes_.back().hidden = local == "defs" || local == "symbol";
    if (open_.empty()) {
      roots_.push_back(index);
    } else {
      Node& parent = nodes_[static_cast<size_t>(open_.back())];
      // Children are kept in reverse order; the sum does not care.
      nodes_.back().nextSibling = parent.firstChild;
      parent.firstChild = index;
    }
    // Attributes.
    selfClosing = false;
    while (j < s_.size()) {
      const char c = s_[j];
      if (c == '>') {
        ++j;
        break;
      }
      if (c == '/' && j + 1 < s_.size() && s_[j + 1] == '>') {
        selfClosing = true;
        j += 2;
        break;
      }
      if (IsSpace(c) || c == '/') {
        ++j;
        continue;
      }
      size_t k = j;
      while (k < s_.size() && s_[k] != '=' && !IsSpace(s_[k]) && s_[k] != '>' && s_[k] != '/') ++k;
      const std::string_view attr = s_.substr(j, k - j);
      while (k < s_.size() && IsSpace(s_[k])) ++k;
      if (k >= s_.size() || s_[k] != '=') {
        j = k;
        if (j < s_.size() && s_[j] != '>' && s_[j] != '/') ++j;
        continue;
      }
      ++k;
      while (k < s_.size() && IsSpace(s_[k])) ++k;
      if (k >= s_.size()) break;
      const char quote = s_[k];
      std::string_view value;
      if (quote == '"' || quote == '\'') {
        size_t q = s_.find(quote, k + 1);
        if (q == std::string_view::npos) q = s_.size();
        value = s_.substr(k + 1, q - k - 1);
        j = q + 1;
      } else {
        size_t q = k;
        while (q < s_.size() && !IsSpace(s_[q]) && s_[q] != '>') ++q;
        value = s_.substr(k, q - k);
        j = q;
      }
      if (attr == "id") ids_.emplace(value, index);
      if (local == "use" && (attr == "href" || attr == "xlink:href") && !value.empty() && value[0] == '#')
        refs_.emplace_back(index, value.substr(1));
    }
    end = j;
    if (!selfClosing) {
      if (open_.size() >= static_cast<size_t>(kMaxSvgDepth)) return SvgProblem::TooDeep;
      open_.push_back(index);
    }
    return SvgProblem::None;
  }

  // Counts the elements drawn, each <use> adding a copy of what it names,
  // without recursion (chains of references may be long).
  SvgProblem Weigh() {
    for (const auto& [use, id] : refs_) {
      const auto it = ids_.find(id);
      if (it != ids_.end()) nodes_[static_cast<size_t>(use)].ref = it->second;
    }
    const size_t n = nodes_.size();
    std::vector<int64_t> weight(n, 0);
    std::vector<uint8_t> state(n, 0);  // 0 new, 1 on the stack, 2 weighed
    std::vector<int32_t> stack;
    int64_t total = 0;
    for (const int32_t root : roots_) {
      stack.push_back(root);
      while (!stack.empty()) {
        const int32_t v = stack.back();
        Node& node = nodes_[static_cast<size_t>(v)];
        if (state[static_cast<size_t>(v)] == 2) {
          stack.pop_back();
          continue;
        }
        if (state[static_cast<size_t>(v)] == 0) {
          state[static_cast<size_t>(v)] = 1;
          for (int32_t c = node.firstChild; c >= 0; c = nodes_[static_cast<size_t>(c)].nextSibling) {
            if (state[static_cast<size_t>(c)] == 0) stack.push_back(c);
          }
          if (node.ref >= 0) {
            if (state[static_cast<size_t>(node.ref)] == 1) return SvgProblem::ReferenceLoop;
            if (state[static_cast<size_t>(node.ref)] == 0) stack.push_back(node.ref);
          }
          continue;
        }
        // Everything it depends on is weighed now (or on the stack: a loop).
        int64_t w = 1;
        for (int32_t c = node.firstChild; c >= 0; c = nodes_[static_cast<size_t>(c)].nextSibling) {
          if (!nodes_[static_cast<size_t>(c)].hidden) w += weight[static_cast<size_t>(c)];
        }
        if (node.ref >= 0) {
          if (state[static_cast<size_t>(node.ref)] != 2) return SvgProblem::ReferenceLoop;
          w += weight[static_cast<size_t>(node.ref)];
        }
        weight[static_cast<size_t>(v)] = std::min<int64_t>(w, kMaxSvgElements + 1);
        state[static_cast<size_t>(v)] = 2;
        stack.pop_back();
      }
      total += weight[static_cast<size_t>(root)];
      if (total > kMaxSvgElements) return SvgProblem::TooManyElements;
    }
    return SvgProblem::None;
  }

  std::string_view s_;
  std::vector<Node> nodes_;
  std::vector<int32_t> roots_;
  std::vector<int32_t> open_;
  std::unordered_map<std::string_view, int32_t> ids_;
  std::vector<std::pair<int32_t, std::string_view>> refs_;
};

}  // namespace

SvgProblem CheckSvgDocument(const uint8_t* data, size_t size) {
  if (size > kMaxSvgBytes) return SvgProblem::TooLarge;
  return Scanner(reinterpret_cast<const char*>(data), size).Run();
}

std::string SvgProblemText(SvgProblem problem) {
  switch (problem) {
    case SvgProblem::None: break;
    case SvgProblem::NotSvg: return platform::Tr("image", "このファイルは SVG 文書ではないため読み込めません");
    case SvgProblem::TooLarge: return platform::Tr("image", "この SVG 文書は大きすぎるため読み込めません");
    case SvgProblem::Entities:
      return platform::Tr("image", "この SVG 文書はエンティティを定義しているため読み込めません");
    case SvgProblem::TooDeep: return platform::Tr("image", "この SVG 文書は要素の入れ子が深すぎるため読み込めません");
    case SvgProblem::TooManyElements:
      return platform::Tr("image", "この SVG 文書は描く要素が多すぎるため読み込めません");
    case SvgProblem::ReferenceLoop:
      return platform::Tr("image", "この SVG 文書は参照が循環しているため読み込めません");
  }
  return std::string();
}

void SetSvgRenderer(ISvgRenderer* renderer) { installedRenderer = renderer; }
ISvgRenderer* InstalledSvgRenderer() { return installedRenderer; }

}  // namespace quelo
