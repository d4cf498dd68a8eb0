// A singly linked list that owns copies of its elements. A caller walks it from First through
// each node's next pointer.
#pragma once

#include <cstdint>

template <typename T>
class ListPL {
public:
    struct Node {
        Node* next;
        T element;
    };

    constexpr ListPL() = default;
    virtual ~ListPL() {
        while (head_ != nullptr) {
            Node* const node = head_;
            head_ = node->next;
            delete node;
        }
        tail_ = cursor_ = nullptr;
        count_ = 0;
    }
    // The list owns its nodes, so a copy would free them twice.
    ListPL(const ListPL&) = delete;
    ListPL& operator=(const ListPL&) = delete;

    // Returns the stored copy. When copying fails, its node is freed and the list is unchanged.
    virtual T* Append(const T& value) {
        Node* const node = new Node{nullptr, value};
        if (head_ == nullptr)
            head_ = node;
        else
            tail_->next = node;
        tail_ = node;
        ++count_;
        return &node->element;
    }

    // Also moves the cursor there; null for an empty list.
    virtual Node* First() {
        cursor_ = head_;
        return head_;
    }

    std::int32_t Count() const { return count_; }

private:
    std::int32_t count_ = 0;
    Node* head_ = nullptr;
    Node* tail_ = nullptr;
    Node* cursor_ = nullptr;
};
