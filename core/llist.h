#pragma once
// LList<T>: the list of a cut list's records, where edits insert, split and detach records in the
// middle while iterators stay on their elements (other lists are std::vector). It owns its
// elements: copying the list copies every element, clearing frees every element. An Iterator walks
// it with Current/Next/Valid and is the handle for inserting before, detaching and deleting an
// element. Elements do not move in memory while they are in the list, so a pointer to one stays
// good until it is deleted.
//
// Misuse (stepping or reading an iterator that is past the end) is a programming error: it is
// reported as a developer diagnostic. Stepping and changing through an invalid iterator then do
// nothing; reading one cannot return anything and stops the program.

#include <cstddef>
#include <cstdlib>
#include <list>
#include <optional>
#include <utility>

#include "core/diagnostics.h"

namespace sonvara {

template <typename T>
class LList {
    using Storage = std::list<T>;

  public:
    class Iterator {
      public:
        Iterator() = default;

        bool Valid() const { return list_ != nullptr && position_ != list_->elements_.end(); }

        T& Current() const {
            if (!Valid()) {
                Diagnose("LList<T>::Iterator::Current() called when iterator is not valid");
                std::abort();
            }
            return *position_;
        }

        void Next() {
            if (!Valid()) {
                Diagnose("LList<T>::Iterator::Next() called when iterator is not valid");
                return;
            }
            ++position_;
        }

      private:
        friend class LList;
        Iterator(LList* list, typename Storage::iterator position)
            : list_(list), position_(position) {}

        LList* list_ = nullptr;
        typename Storage::iterator position_{};
    };

    LList() = default;
    LList(const LList&) = default;
    LList(LList&&) noexcept = default;
    LList& operator=(const LList&) = default;
    LList& operator=(LList&&) noexcept = default;

    // An iterator on the first element (not valid when the list is empty).
    Iterator First() { return Iterator(this, elements_.begin()); }

    std::size_t Count() const { return elements_.size(); }
    bool IsEmpty() const { return elements_.empty(); }

    void Clear() { elements_.clear(); }

    T& Append(T element) { return elements_.emplace_back(std::move(element)); }

    // Inserts before the iterator's element; an iterator past the end appends. The iterator keeps
    // pointing at the element it pointed at.
    T& InsertBefore(const Iterator& iterator, T element) {
        if (iterator.list_ != this) {
            Diagnose("LList<T>::InsertBefore() called with an iterator of another list");
            return Append(std::move(element));
        }
        return *elements_.insert(iterator.position_, std::move(element));
    }

    // Takes the iterator's element out of the list and hands it to the caller; the iterator moves
    // on to the next element.
    std::optional<T> Detach(Iterator& iterator) {
        if (!OwnsValid(iterator, "LList<T>::Detach() called when iterator is not valid")) {
            return std::nullopt;
        }
        std::optional<T> element(std::move(*iterator.position_));
        iterator.position_ = elements_.erase(iterator.position_);
        return element;
    }

    // Frees the iterator's element; the iterator moves on to the next element.
    void Delete(Iterator& iterator) {
        if (OwnsValid(iterator, "LList<T>::Delete() called when iterator is not valid")) {
            iterator.position_ = elements_.erase(iterator.position_);
        }
    }

    // Range access for plain walks.
    auto begin() { return elements_.begin(); }
    auto end() { return elements_.end(); }
    auto begin() const { return elements_.begin(); }
    auto end() const { return elements_.end(); }

  private:
    bool OwnsValid(const Iterator& iterator, const char* diagnostic) const {
        if (iterator.list_ != this || !iterator.Valid()) {
            Diagnose(diagnostic);
            return false;
        }
        return true;
    }

    Storage elements_;
};

}  // namespace sonvara
