#include "platform/MessageBox.h"
#include "platform/core/Backend.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace platform {
namespace {

struct NamedAnswer {
    const char* name;
    int id;
};
constexpr NamedAnswer kAnswers[] = {{"ok", IDOK},       {"cancel", IDCANCEL}, {"abort", IDABORT},
                                    {"retry", IDRETRY}, {"ignore", IDIGNORE}, {"yes", IDYES},
                                    {"no", IDNO}};

const char* AnswerName(int id) {
    for (const auto& a : kAnswers)
        if (a.id == id)
            return a.name;
    return "none";
}

int ParseAnswer(const std::string& text) {
    for (const auto& a : kAnswers)
        if (text == a.name)
            return a.id;
    return std::atoi(text.c_str());
}

// The answer a box gets when nobody is there to press a button: the one that
// backs out, so an unattended run never loops on a question.
int DefaultAnswer(uint32_t style) {
    switch (style & 0xF) {
    case MB_OKCANCEL:
    case MB_YESNOCANCEL:
    case MB_RETRYCANCEL:
        return IDCANCEL;
    case MB_ABORTRETRYIGNORE:
        return IDABORT;
    case MB_YESNO:
        return IDNO;
    default:
        return IDOK;
    }
}

struct Script {
    std::mutex lock;
    std::vector<int> answers;
    size_t next = 0;
    bool present = false;
};

Script& Answers() {
    static Script* script = [] {
        auto* s = new Script;
        const char* env = std::getenv("VRASK_MSGBOX");
        if (env) {
            s->present = true;
            std::string text = env;
            size_t pos = 0;
            while (pos <= text.size()) {
                size_t comma = text.find(',', pos);
                if (comma == std::string::npos)
                    comma = text.size();
                std::string item = text.substr(pos, comma - pos);
                if (!item.empty())
                    s->answers.push_back(ParseAnswer(item));
                pos = comma + 1;
            }
        }
        return s;
    }();
    return *script;
}

} // namespace

int MessageBox(Window*, const char* text, const char* caption, uint32_t style) {
    std::fprintf(stderr, "[msgbox] caption=\"%s\" style=0x%08x\n%s\n[/msgbox]\n",
                 caption ? caption : "", style, text ? text : "");
    int answer = 0;
    Script& script = Answers();
    {
        std::lock_guard<std::mutex> guard(script.lock);
        if (script.next < script.answers.size())
            answer = script.answers[script.next++];
        else if (script.present)
            answer = DefaultAnswer(style);
    }
    if (answer == 0)
        answer = GetBackend()->ShowMessageBox(text ? text : "", caption ? caption : "", style);
    if (answer == 0)
        answer = DefaultAnswer(style);
    std::fprintf(stderr, "[msgbox] answer=%s\n", AnswerName(answer));
    std::fflush(stderr);
    return answer;
}

} // namespace platform
