// The registry stand-in's tree of keys and values, and its text file format (see registry.h).
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <map>

namespace platform::registry_tree {

enum class Kind { String, Integer, Binary };

struct Value {
    QString name;
    Kind kind = Kind::String;
    QString text;
    quint32 number = 0;
    QByteArray bytes;
};

struct Key {
    QString path;  // as created, "" for the root
    QList<Value> values;
};

// Keys by case-folded path; std::map keeps node addresses stable while keys are added.
struct Tree {
    std::map<QString, Key> keys;
    bool damaged = false;  // some line of the file could not be understood
};

inline QString Fold(const QString& name) { return name.toCaseFolded(); }

inline QStringList SplitPath(const QString& path) { return path.split(u'\\', Qt::SkipEmptyParts); }

// Adds the key and its missing parents; existing keys keep the case they were created with.
Key& AddKey(Tree& tree, const QString& path);
Key* FindKey(Tree& tree, const QString& path);
const Key* FindKey(const Tree& tree, const QString& path);
Value* FindValue(Key& key, const QString& name);
const Value* FindValue(const Key& key, const QString& name);
// A replaced value keeps the name it was created with.
void PutValue(Key& key, Value value);

// Lines that cannot be understood are skipped and mark the tree damaged.
Tree ParseTree(const QByteArray& bytes);
// UTF-8, opened by the comment line "; <title>".
QByteArray SerializeTree(const Tree& tree, const QString& title);

}  // namespace platform::registry_tree
