#pragma once

#include <QBoxLayout>

namespace quorvel {

// Space kept clear around a stack's content, per edge.
struct Insets {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    static Insets all(int n) { return {n, n, n, n}; }
    static Insets horizontal(int n) { return {n, 0, n, 0}; }
    static Insets vertical(int n) { return {0, n, 0, n}; }
};

// Stacks with a fixed spacing between their items and no margins of their
// own; `parent` receives the layout when given.
QVBoxLayout *vstack(int spacing, QWidget *parent = nullptr, Insets insets = {});
QHBoxLayout *hstack(int spacing, QWidget *parent = nullptr, Insets insets = {});

// `content` in a container of its own that keeps `insets` around it; hide
// the container to take the insets away with it.
QWidget *inset(QWidget *content, Insets insets);

// A flexible space that never gets shorter than `minimum`.
void addFlexibleSpace(QBoxLayout *stack, int minimum = 0);

} // namespace quorvel
