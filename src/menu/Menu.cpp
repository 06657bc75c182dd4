#include "menu/Menu.h"

#include <GL/glut.h>
#include <algorithm>

namespace {
constexpr int kEnter = '\r';
constexpr int kEscape = 27;
constexpr int kBackspace = 8;
constexpr int kDelete = 127;
constexpr int kTab = '\t';
constexpr char kCursor = '_';
} // namespace

CMenu::CMenu(std::function<void(bool)> opened) : opened(std::move(opened)) {}

void CMenu::Open(PageMaker top) {
    const bool wasOpen = IsOpen();
    stack.clear();
    typing = binding = false;
    note.clear();
    Push(std::move(top));
    if (!wasOpen && opened) {
        opened(true);
    }
}

void CMenu::Close() {
    if (!IsOpen()) {
        return;
    }
    stack.clear();
    typing = binding = false;
    note.clear();
    if (opened) {
        opened(false);
    }
}

void CMenu::Push(PageMaker maker) {
    SLevel level{std::move(maker), {}, 0};
    level.page = level.maker();
    stack.push_back(std::move(level));
    SelectFirst();
}

void CMenu::Refresh() {
    if (!IsOpen()) {
        return;
    }
    SLevel& level = stack.back();
    level.page = level.maker();
    const int count = static_cast<int>(level.page.items.size());
    level.selection = std::clamp(level.selection, 0, std::max(0, count - 1));
    if (count > 0 && !level.page.items[level.selection].IsSelectable()) {
        Move(1);
    }
}

const CMenu::SPage* CMenu::GetPage() const {
    return IsOpen() ? &stack.back().page : nullptr;
}

int CMenu::GetSelection() const {
    return IsOpen() ? stack.back().selection : 0;
}

CMenu::SItem* CMenu::Selected() {
    if (!IsOpen() || stack.back().page.items.empty()) {
        return nullptr;
    }
    SItem& item = stack.back().page.items[stack.back().selection];
    return item.IsSelectable() ? &item : nullptr;
}

void CMenu::SelectFirst() {
    stack.back().selection = 0;
    if (!stack.back().page.items.empty() && !stack.back().page.items[0].IsSelectable()) {
        Move(1);
    }
}

// To the next selectable item that way, wrapping round; a page of text lines stays put.
void CMenu::Move(int step) {
    SLevel& level = stack.back();
    const int count = static_cast<int>(level.page.items.size());
    for (int tried = 1; tried <= count; ++tried) {
        const int index = ((level.selection + step * tried) % count + count) % count;
        if (level.page.items[index].IsSelectable()) {
            level.selection = index;
            return;
        }
    }
}

bool CMenu::ToMenuKey(bool special, int code, EKey& key) {
    if (special) {
        switch (code) {
        case GLUT_KEY_UP:
            key = EKey::Up;
            return true;
        case GLUT_KEY_DOWN:
            key = EKey::Down;
            return true;
        case GLUT_KEY_LEFT:
            key = EKey::Left;
            return true;
        case GLUT_KEY_RIGHT:
            key = EKey::Right;
            return true;
        default:
            return false;
        }
    }
    switch (code) {
    case kEnter:
    case '\n':
        key = EKey::Choose;
        return true;
    case kEscape:
        key = EKey::Back;
        return true;
    case kBackspace:
    case kDelete:
        key = EKey::Erase;
        return true;
    case kTab:
        key = EKey::Down;
        return true;
    default:
        return false;
    }
}

CMenu::EResult CMenu::KeyDown(bool special, int code) {
    if (!IsOpen()) {
        return EResult::Stay;
    }
    if (binding) {
        binding = false;
        SItem* item = Selected();
        if (!special && code == kEscape) {
            note.clear();
        } else if (item != nullptr && item->bind) {
            const auto bind = item->bind;
            note = bind(special, code);
            Refresh();
        }
        return EResult::Stay;
    }
    if (typing) {
        KeyInField(special, code);
        return EResult::Stay;
    }
    EKey key;
    if (ToMenuKey(special, code, key)) {
        Press(key);
    } else if (!special && code == 'q') {
        return EResult::Quit;
    } else if (!special && code > ' ' && code < kDelete) {
        TypeCharacter(static_cast<char>(code));
    }
    return EResult::Stay;
}

void CMenu::KeyInField(bool special, int code) {
    SItem* item = Selected();
    if (item == nullptr || special) {
        return;
    }
    if (code == kEnter || code == '\n') {
        typing = false;
        const auto commit = item->field.commit;
        note = commit ? commit(typed) : "";
        Refresh();
    } else if (code == kEscape) {
        typing = false;
        note.clear();
    } else if (code == kBackspace || code == kDelete) {
        if (!typed.empty()) {
            typed.pop_back();
        }
    } else if (code >= ' ' && code < kDelete && typed.size() < item->field.longest &&
               (!item->field.takes || item->field.takes(static_cast<char>(code)))) {
        typed.push_back(static_cast<char>(code));
    }
}

void CMenu::TypeCharacter(char c) {
    SItem* item = Selected();
    if (item != nullptr && item->type) {
        const auto type = item->type;
        if (type(c)) {
            Refresh();
        }
    }
}

void CMenu::Press(EKey key) {
    if (!IsOpen()) {
        return;
    }
    if (typing || binding) { // a pad's B leaves the field or the binding as ESC does
        if (key == EKey::Back || key == EKey::Close) {
            typing = binding = false;
            note.clear();
        }
        if (key != EKey::Close) {
            return;
        }
    }
    switch (key) {
    case EKey::Up:
        note.clear();
        Move(-1);
        break;
    case EKey::Down:
        note.clear();
        Move(1);
        break;
    case EKey::Left:
    case EKey::Right:
        if (SItem* item = Selected(); item != nullptr && item->adjust) {
            const auto adjust = item->adjust;
            adjust(key == EKey::Left ? -1 : 1);
            Refresh();
        }
        break;
    case EKey::Choose:
        Choose();
        break;
    case EKey::Back:
        Back();
        break;
    case EKey::Erase:
        Erase();
        break;
    case EKey::Close:
        Close();
        break;
    }
}

void CMenu::Choose() {
    SItem* item = Selected();
    if (item == nullptr) {
        return;
    }
    note.clear();
    if (item->field.get) {
        typing = true;
        typed = item->field.get();
    } else if (item->bind) {
        binding = true;
    } else if (item->choose) {
        const auto choose = item->choose; // it may close the menu, and the page with it
        choose();
        Refresh();
    }
}

void CMenu::Back() {
    note.clear();
    stack.pop_back();
    if (stack.empty()) {
        typing = binding = false;
        if (opened) {
            opened(false);
        }
        return;
    }
    Refresh();
}

void CMenu::Erase() {
    SItem* item = Selected();
    if (item != nullptr && item->erase) {
        const auto erase = item->erase;
        erase();
        Refresh();
        return;
    }
    Back();
}

std::vector<CMenu::SLine> CMenu::GetLines() const {
    std::vector<SLine> lines;
    if (!IsOpen()) {
        return lines;
    }
    const SLevel& level = stack.back();
    lines.push_back({level.page.title, false, true});
    lines.push_back({});
    const int count = static_cast<int>(level.page.items.size());
    const int first =
        std::clamp(level.selection - kVisibleItems / 2, 0, std::max(0, count - kVisibleItems));
    const int last = std::min(count, first + kVisibleItems);
    for (int index = first; index < last; ++index) {
        const SItem& item = level.page.items[index];
        const bool selected = index == level.selection && item.IsSelectable();
        std::string text = item.label ? item.label() : "";
        if (item.field.get) {
            text = item.field.caption + " " +
                   (selected && typing ? typed + kCursor : item.field.get());
        } else if (selected && binding) {
            text += " ?";
        }
        lines.push_back({(selected ? "> " : "  ") + text, selected, false});
    }
    if (!note.empty()) {
        lines.push_back({});
        lines.push_back({note, false, true});
    }
    return lines;
}
