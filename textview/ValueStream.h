#pragma once
// The value sequence in which rule lists and styles travel in a component stream: typed
// values (integers in their smallest width, strings, Booleans) and lists delimited by a
// begin marker and an end marker, over a QDataStream.

#include <QDataStream>
#include <QString>

#include <cstdint>
#include <stdexcept>

namespace kbl {

enum class ValueType : quint8 {
    Null = 0, // list end
    List = 1,
    Int8 = 2,
    Int16 = 3,
    Int32 = 4,
    String = 6, // up to 255 UTF-8 bytes
    False = 8,
    True = 9,
    LString = 12,
};

class ValueWriter {
public:
    explicit ValueWriter(QDataStream& stream) : s(stream) {}
    void writeListBegin() { tag(ValueType::List); }
    void writeListEnd() { tag(ValueType::Null); }
    void writeInteger(qint32 v);
    void writeString(const QString& v);
    void writeBoolean(bool v) { tag(v ? ValueType::True : ValueType::False); }
    // A defined property: its name, then the caller writes the value.
    void writePropertyName(const QString& name) { writeString(name); }
    QDataStream& stream() { return s; }

private:
    void tag(ValueType t) { s << quint8(t); }
    QDataStream& s;
};

// Raised on a stream that does not hold the expected value sequence.
class StreamError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ValueReader {
public:
    explicit ValueReader(QDataStream& stream) : s(stream) {}
    ValueType nextValue();
    bool atEnd() const { return s.atEnd(); }
    void readListBegin();
    void readListEnd();
    bool endOfList(); // true (without consuming) when the next value is the list end
    qint32 readInteger();
    QString readString();
    bool readBoolean();
    void skipValue();

private:
    ValueType take();
    QDataStream& s;
    bool peeked = false;
    ValueType peekType = ValueType::Null;
};

} // namespace kbl
