#pragma once
// Result<T>: a value, or the message that says why there is none. Result<void> is the answer of a
// check: accepted, or refused with its message. The messages are the texts the user sees, so a
// failure carries one always (an empty message is still a failure).
//
//   Result<int> n = ParseNumber(text);      if (!n) { Show(n.Message()); } else { Use(*n); }
//   Result<void> Check(...) { if (bad) return Failure("..."); return {}; }

#include <string>
#include <utility>
#include <variant>

namespace sonvara {

// What a function that failed returns; converts to a Result of any type.
struct Failure {
    explicit Failure(std::string text) : message(std::move(text)) {}
    std::string message;
};

template <typename T>
class [[nodiscard]] Result {
  public:
    Result(T value) : state_(std::move(value)) {}            // NOLINT: a value is a success
    Result(Failure failure) : state_(std::move(failure)) {}  // NOLINT

    bool Ok() const { return state_.index() == 0; }
    explicit operator bool() const { return Ok(); }

    // Only for a success.
    const T& Value() const& { return std::get<0>(state_); }
    T& Value() & { return std::get<0>(state_); }
    T&& Value() && { return std::get<0>(std::move(state_)); }
    const T& operator*() const& { return Value(); }
    T& operator*() & { return Value(); }
    const T* operator->() const { return &Value(); }

    // Empty for a success.
    const std::string& Message() const {
        static const std::string kNone;
        return Ok() ? kNone : std::get<1>(state_).message;
    }

  private:
    std::variant<T, Failure> state_;
};

template <>
class [[nodiscard]] Result<void> {
  public:
    Result() = default;
    Result(Failure failure) : failure_(std::move(failure.message)), failed_(true) {}  // NOLINT

    bool Ok() const { return !failed_; }
    explicit operator bool() const { return Ok(); }
    const std::string& Message() const { return failure_; }

  private:
    std::string failure_;
    bool failed_ = false;
};

}  // namespace sonvara
