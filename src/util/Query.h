// Query: a question a core object asks of whoever can answer it (is a write pending, which
// file did the user choose...). Several parts may bind an answer; the most recent binding
// still alive answers, and an unbound query gives its default. Binding returns a Connection
// that unbinds when it goes out of scope, so an answerer that dies is never asked again and
// the one bound before it answers again. Single-threaded; no Qt.
#pragma once

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "util/Signal.h"

namespace gw {

template <class Signature>
class Query;

template <class R, class... Args>
class Query<R(Args...)> {
public:
    using Answer = std::function<R(Args...)>;

    explicit Query(R fallback = R{}) : fallback_(std::move(fallback)), answers_(std::make_shared<Answers>()) {}
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    [[nodiscard]] Connection Bind(Answer answer) {
        const std::size_t id = ++answers_->lastId;
        answers_->list.push_back({id, std::make_shared<Answer>(std::move(answer))});
        std::weak_ptr<Answers> weak = answers_;
        return Connection::Make([weak, id] {
            if (auto a = weak.lock()) a->Remove(id);
        });
    }

    bool Bound() const { return !answers_->list.empty(); }

    R operator()(Args... args) const {
        if (answers_->list.empty()) return fallback_;
        const std::shared_ptr<Answer> fn = answers_->list.back().fn;  // alive while it answers
        return (*fn)(args...);
    }

private:
    struct Entry {
        std::size_t id;
        std::shared_ptr<Answer> fn;
    };
    struct Answers {
        std::vector<Entry> list;
        std::size_t lastId = 0;
        void Remove(std::size_t id) {
            for (auto it = list.begin(); it != list.end(); ++it)
                if (it->id == id) {
                    list.erase(it);
                    return;
                }
        }
    };
    R fallback_;
    std::shared_ptr<Answers> answers_;
};

}  // namespace gw
