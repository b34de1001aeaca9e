// Signal: one typed event of a core object, with any number of listeners. Connecting
// returns a Connection that disconnects when it goes out of scope, so a listener that dies
// before the emitter is never called; an emitter that dies first leaves its connections
// harmless. Single-threaded, like the rest of the core; no Qt.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace gw {

// Owns one listener's place in a signal; disconnects on destruction or Disconnect().
class Connection {
public:
    Connection() = default;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    Connection(Connection&& other) noexcept : disconnect_(std::move(other.disconnect_)) { other.disconnect_ = {}; }
    Connection& operator=(Connection&& other) noexcept {
        if (this != &other) {
            Disconnect();
            disconnect_ = std::move(other.disconnect_);
            other.disconnect_ = {};
        }
        return *this;
    }
    ~Connection() { Disconnect(); }

    void Disconnect() {
        if (disconnect_) {
            auto d = std::move(disconnect_);
            disconnect_ = {};
            d();
        }
    }
    bool Connected() const { return static_cast<bool>(disconnect_); }

    // A connection that runs disconnect once, when it ends (for other kinds of binding).
    static Connection Make(std::function<void()> disconnect) { return Connection(std::move(disconnect)); }

private:
    template <class...>
    friend class Signal;
    explicit Connection(std::function<void()> disconnect) : disconnect_(std::move(disconnect)) {}
    std::function<void()> disconnect_;
};

template <class... Args>
class Signal {
public:
    using Listener = std::function<void(Args...)>;

    Signal() : slots_(std::make_shared<Slots>()) {}
    Signal(const Signal&) = delete;
    Signal& operator=(const Signal&) = delete;

    // Listeners run in the order they were connected.
    [[nodiscard]] Connection Connect(Listener listener) {
        const std::size_t id = ++slots_->lastId;
        slots_->list.push_back({id, std::make_shared<Listener>(std::move(listener))});
        std::weak_ptr<Slots> weak = slots_;
        return Connection([weak, id] {
            if (auto s = weak.lock()) s->Remove(id);
        });
    }

    // Calls every listener connected now. A listener may connect or disconnect others (or
    // itself) while it runs: one disconnected before its turn is not called.
    // The signal itself may be destroyed by a listener: the list stays alive until Emit ends.
    void Emit(Args... args) const {
        const std::shared_ptr<Slots> held = slots_;
        const auto snapshot = held->list;
        for (const auto& slot : snapshot) {
            if (!held->Has(slot.id)) continue;
            (*slot.fn)(args...);
        }
    }

    std::size_t ListenerCount() const { return slots_->list.size(); }

private:
    struct Slot {
        std::size_t id;
        std::shared_ptr<Listener> fn;
    };
    struct Slots {
        std::vector<Slot> list;
        std::size_t lastId = 0;
        void Remove(std::size_t id) {
            for (auto it = list.begin(); it != list.end(); ++it)
                if (it->id == id) {
                    list.erase(it);
                    return;
                }
        }
        bool Has(std::size_t id) const {
            for (const auto& s : list)
                if (s.id == id) return true;
            return false;
        }
    };
    std::shared_ptr<Slots> slots_;
};

}  // namespace gw
