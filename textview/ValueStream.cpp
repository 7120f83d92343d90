#include "textview/ValueStream.h"

#include <QByteArray>

namespace kbl {

void ValueWriter::writeInteger(qint32 v)
{
    if (v >= -128 && v <= 127) {
        tag(ValueType::Int8);
        s << qint8(v);
    } else if (v >= -32768 && v <= 32767) {
        tag(ValueType::Int16);
        s << qint16(v);
    } else {
        tag(ValueType::Int32);
        s << qint32(v);
    }
}

void ValueWriter::writeString(const QString& v)
{
    const QByteArray utf8 = v.toUtf8();
    if (utf8.size() <= 255) {
        tag(ValueType::String);
        s << quint8(utf8.size());
    } else {
        tag(ValueType::LString);
        s << qint32(utf8.size());
    }
    s.writeRawData(utf8.constData(), int(utf8.size()));
}

ValueType ValueReader::take()
{
    if (peeked) {
        peeked = false;
        return peekType;
    }
    quint8 t = 0;
    s >> t;
    if (s.status() != QDataStream::Ok)
        throw StreamError("Unexpected end of stream");
    return ValueType(t);
}

ValueType ValueReader::nextValue()
{
    if (!peeked) {
        peekType = take();
        peeked = true;
    }
    return peekType;
}

void ValueReader::readListBegin()
{
    if (take() != ValueType::List)
        throw StreamError("Invalid property value");
}

void ValueReader::readListEnd()
{
    if (take() != ValueType::Null)
        throw StreamError("Invalid property value");
}

bool ValueReader::endOfList()
{
    return nextValue() == ValueType::Null;
}

qint32 ValueReader::readInteger()
{
    switch (take()) {
    case ValueType::Int8: { qint8 v = 0; s >> v; return v; }
    case ValueType::Int16: { qint16 v = 0; s >> v; return v; }
    case ValueType::Int32: { qint32 v = 0; s >> v; return v; }
    default: throw StreamError("Invalid property value");
    }
}

QString ValueReader::readString()
{
    qint32 len = 0;
    switch (take()) {
    case ValueType::String: { quint8 n = 0; s >> n; len = n; break; }
    case ValueType::LString: s >> len; break;
    default: throw StreamError("Invalid property value");
    }
    if (s.status() != QDataStream::Ok || len < 0 || len > (1 << 26))
        throw StreamError("Invalid property value");
    QByteArray bytes(len, Qt::Uninitialized);
    if (s.readRawData(bytes.data(), len) != len)
        throw StreamError("Unexpected end of stream");
    return QString::fromUtf8(bytes);
}

bool ValueReader::readBoolean()
{
    switch (take()) {
    case ValueType::True: return true;
    case ValueType::False: return false;
    default: throw StreamError("Invalid property value");
    }
}

void ValueReader::skipValue()
{
    switch (nextValue()) {
    case ValueType::Int8: case ValueType::Int16: case ValueType::Int32: readInteger(); break;
    case ValueType::String: case ValueType::LString: readString(); break;
    case ValueType::True: case ValueType::False: readBoolean(); break;
    case ValueType::List:
        readListBegin();
        while (!endOfList())
            skipValue();
        readListEnd();
        break;
    default: throw StreamError("Invalid property value");
    }
}

} // namespace kbl
