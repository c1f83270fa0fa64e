#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// A header of key and value lines; keys are kept lower-case, so they list in that order.
class HttpHeader
{
public:
    HttpHeader() = default;
    virtual ~HttpHeader() = default;
    HttpHeader(const HttpHeader &) = default;
    HttpHeader &operator=(const HttpHeader &) = default;

    virtual QString toString() const;

    void setValue(const QString &key, const QString &value);
    QString value(const QString &key) const;
    bool hasKey(const QString &key) const;
    QStringList keys() const;
    void removeValue(const QString &key);

    // 0 when missing or not an unsigned decimal number.
    uint contentLength() const;
    void setContentLength(int length);
    // Without parameters ("text/xml" of "text/xml; charset=UTF-8"); null when empty or missing.
    QString contentType() const;
    void setContentType(const QString &type);

    bool isValid() const { return valid; }
    bool parse(const QString &text);

protected:
    virtual bool parseLine(const QString &line, int number);
    void setValid(bool isValid) { valid = isValid; }

private:
    QMap<QString, QString> values;
    bool valid = true;
};

class HttpRequestHeader : public HttpHeader
{
public:
    HttpRequestHeader() = default;
    HttpRequestHeader(const QString &method, const QString &path, int version = 11);
    explicit HttpRequestHeader(const QString &text);

    void setRequest(const QString &method, const QString &path, int version = 11);
    QString method() const { return m_method; }
    QString path() const { return m_path; }
    int version() const { return m_version; }

    QString toString() const override;

protected:
    bool parseLine(const QString &line, int number) override;

private:
    QString m_method;
    QString m_path;
    int m_version = 11; // major * 10 + minor
};

class HttpReplyHeader : public HttpHeader
{
public:
    HttpReplyHeader() = default;
    HttpReplyHeader(int statusCode, const QString &reasonPhrase = QString(), int version = 11);
    explicit HttpReplyHeader(const QString &text);

    int statusCode() const { return m_statusCode; }
    QString reasonPhrase() const { return m_reasonPhrase; }
    int version() const { return m_version; }

    QString toString() const override;

protected:
    bool parseLine(const QString &line, int number) override;

private:
    int m_statusCode = 0;
    QString m_reasonPhrase;
    int m_version = 0;
};
