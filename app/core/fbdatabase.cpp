#include "core/fbdatabase.h"

#include "core/cp1251.h"
#include "core/fbhandle.h"
#include "core/firebirdenv.h"

#include <QFileInfo>
#include <QStringDecoder>

#include <firebird/Interface.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <optional>

using namespace Firebird;

namespace {

struct Client {
    IMaster* master = fb_get_master_interface();
    IUtil* util = master->getUtilInterface();
    IProvider* provider = nullptr;
    Client() {
        FirebirdEnv::setup();
        provider = master->getDispatcher();
    }
};

Client& client() {
    static Client c;
    return c;
}

// A status object for one call; errors come out as FbException.
class Status {
public:
    Status() : m_status(client().master->getStatus()), m_wrapper(m_status) {}
    ~Status() { m_status->dispose(); }
    Status(const Status&) = delete;
    Status& operator=(const Status&) = delete;
    ThrowStatusWrapper* operator&() { return &m_wrapper; }

private:
    IStatus* m_status;
    ThrowStatusWrapper m_wrapper;
};

QString decodeMessage(const QByteArray& raw) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(raw);
    if (utf8.hasError())
        text = Cp1251::decode(raw);
    return text.trimmed();
}

QString formatStatus(IStatus* status) {
    char buf[4096];
    client().util->formatStatus(buf, sizeof buf, status);
    QString text = decodeMessage(QByteArray(buf));
    text.replace(QStringLiteral("\n-"), QStringLiteral("\n"));
    return text;
}

// What the status vector says, besides its text: the gds codes in order, the names they
// refer to and the first operating system error.
struct StatusCodes {
    QList<long> codes;
    QStringList names;
    int osError = 0;
};

StatusCodes readCodes(IStatus* status) {
    StatusCodes out;
    for (const intptr_t* p = status->getErrors(); *p != isc_arg_end;) {
        const intptr_t kind = *p++;
        switch (kind) {
        case isc_arg_gds:
            out.codes << long(*p++);
            break;
        case isc_arg_string:
        case isc_arg_interpreted:
        case isc_arg_sql_state: {
            const char* text = reinterpret_cast<const char*>(*p++);
            if (kind == isc_arg_string && text)
                out.names << decodeMessage(QByteArray(text));
            break;
        }
        case isc_arg_cstring: {
            const auto length = qsizetype(*p++);
            const char* text = reinterpret_cast<const char*>(*p++);
            if (text)
                out.names << decodeMessage(QByteArray(text, length));
            break;
        }
        case isc_arg_unix:
            if (out.osError == 0)
                out.osError = int(*p);
            ++p;
            break;
        default: // numbers and the error codes of other systems
            ++p;
        }
    }
    return out;
}

bool anyOf(const StatusCodes& s, std::initializer_list<long> codes) {
    for (long c : codes) {
        if (s.codes.contains(c))
            return true;
    }
    return false;
}

// The user's sentence for the errors a user can meet; empty for the others, whose text is
// the client's alone.
QString sentenceFor(const StatusCodes& s) {
    if (anyOf(s, {isc_login}))
        return QStringLiteral("Сервер базы данных не принял имя пользователя или пароль.");
    if (anyOf(s, {isc_network_error, isc_net_connect_err, isc_net_connect_listen_err}))
        return QStringLiteral("Сервер базы данных недоступен: он не запущен, или к нему нет "
                              "доступа по сети.");
    if (anyOf(s, {isc_conn_lost, isc_lost_db_connection, isc_net_read_err, isc_net_write_err,
                  isc_att_shutdown, isc_shutdown}))
        return QStringLiteral("Связь с базой данных прервана.");
    if (anyOf(s, {isc_lock_timeout}))
        return QStringLiteral("Данные заняты другим пользователем: время ожидания истекло.");
    if (anyOf(s, {isc_update_conflict}))
        // Also what the engine reports for a row whose lock wait timed out.
        return QStringLiteral("Эти же данные одновременно изменяет другой пользователь.");
    if (anyOf(s, {isc_deadlock, isc_lock_conflict}))
        return QStringLiteral("Данные заняты другим пользователем.");
    if (anyOf(s, {isc_unique_key_violation, isc_no_dup}))
        return QStringLiteral("Такая запись уже есть в базе данных.");
    if (anyOf(s, {isc_read_only_database, isc_no_priv}))
        return QStringLiteral("Нет прав на запись в базу данных.");
    if (anyOf(s, {isc_already_opened}))
        return QStringLiteral("Файл базы данных занят: его держит открытым сервер Firebird в "
                              "режиме, несовместимом с этой программой.");
    if (anyOf(s, {isc_lock_dir_access}))
        return QStringLiteral("Нет доступа к каталогу блокировок базы данных.");
    if (anyOf(s, {isc_io_error, isc_io_open_err, isc_io_create_err, isc_io_read_err,
                  isc_io_write_err, isc_io_access_err})) {
        switch (s.osError) {
        case ENOENT:
        case ENOTDIR:
            return QStringLiteral("Файл базы данных не найден.");
        case EACCES:
        case EPERM:
        case EROFS:
            return QStringLiteral("Нет прав на доступ к файлу базы данных.");
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return QStringLiteral("На диске не хватает места для базы данных.");
        case EAGAIN:
        case EBUSY:
        case ETXTBSY:
            return QStringLiteral("Файл базы данных занят другой программой.");
        case EISDIR:
            return QStringLiteral("Указан каталог, а не файл базы данных.");
        default:
            return QStringLiteral("Ошибка чтения или записи файла базы данных.");
        }
    }
    if (anyOf(s, {isc_bad_db_format, isc_wrong_ods}))
        return QStringLiteral("Файл не является базой данных этой версии Firebird.");
    return QString();
}

// A client error as DbError: the user's sentence first, when there is one, then the client's
// own text as the detail.
DbError toDbError(IStatus* status) {
    const StatusCodes codes = readCodes(status);
    const QString text = formatStatus(status);
    const QString sentence = sentenceFor(codes);
    return DbError(sentence.isEmpty() ? text : sentence + QLatin1Char('\n') + text, codes.codes,
                   codes.names, codes.osError);
}

// Runs f with a throwing status and turns client errors into DbError.
template <class F> auto guarded(F&& f) -> decltype(f(std::declval<ThrowStatusWrapper*>())) {
    Status st;
    try {
        return f(&st);
    } catch (const FbException& e) {
        throw toDbError(e.getStatus());
    }
}

QByteArray toClientPath(const QString& name) {
    // File names travel in the local 8-bit encoding; the rest of the text in WIN1251.
    return QFile::encodeName(name);
}

// Day 0 of Firebird's date is 17 November 1858 (Julian day 2400001).
constexpr qint64 kFbEpochJulianDay = 2400001;
constexpr unsigned kTicksPerSecond = ISC_TIME_SECONDS_PRECISION;

ISC_DATE encodeDate(const QDate& d) {
    return ISC_DATE(d.toJulianDay() - kFbEpochJulianDay);
}
QDate decodeDate(ISC_DATE d) {
    return QDate::fromJulianDay(qint64(d) + kFbEpochJulianDay);
}
ISC_TIME encodeTime(const QTime& t) {
    return ISC_TIME(t.msecsSinceStartOfDay()) * (kTicksPerSecond / 1000);
}
QTime decodeTime(ISC_TIME t) {
    return QTime::fromMSecsSinceStartOfDay(int(t / (kTicksPerSecond / 1000)));
}

double power10(int n) {
    return std::pow(10.0, n);
}

template <class T> void put(unsigned char* p, T v) {
    std::memcpy(p, &v, sizeof v);
}
template <class T> T get(const unsigned char* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

[[noreturn]] void conversionError(const QString& param, const QVariant& v, const char* type) {
    throw DbError(QStringLiteral("Ошибка преобразования значения «%1» параметра %2 в тип %3")
                      .arg(v.toString(), param, QLatin1String(type)));
}

QDate variantToDate(const QVariant& v, const QString& param) {
    if (v.typeId() == QMetaType::QDate)
        return v.toDate();
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime().date();
    const QString s = v.toString().trimmed();
    QDate d = QDate::fromString(s, Qt::ISODate);
    if (!d.isValid())
        d = QDate::fromString(s, QStringLiteral("dd.MM.yyyy"));
    if (!d.isValid())
        conversionError(param, v, "DATE");
    return d;
}

qint64 variantToInt(const QVariant& v, const QString& param, int scale) {
    bool ok = false;
    double d = 0;
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
        if (scale == 0)
            return v.toLongLong();
        d = double(v.toLongLong());
        ok = true;
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        d = v.toDouble();
        ok = std::isfinite(d);
        break;
    default: {
        const QString s = v.toString().trimmed();
        if (scale == 0) {
            const qint64 i = s.toLongLong(&ok);
            if (ok)
                return i;
        }
        d = s.toDouble(&ok);
    }
    }
    if (!ok)
        conversionError(param, v, "INTEGER");
    const double scaled = std::round(d * power10(-scale));
    if (std::fabs(scaled) > 9.2e18)
        conversionError(param, v, "INTEGER");
    return qint64(scaled);
}

double variantToDouble(const QVariant& v, const QString& param) {
    bool ok = false;
    const double d =
        v.typeId() == QMetaType::QString ? v.toString().trimmed().toDouble(&ok) : v.toDouble(&ok);
    if (!ok)
        conversionError(param, v, "DOUBLE PRECISION");
    return d;
}

QString variantToText(const QVariant& v) {
    if (v.typeId() == QMetaType::Double)
        return QString::number(v.toDouble(), 'g', 15);
    if (v.typeId() == QMetaType::QDate)
        return v.toDate().toString(Qt::ISODate);
    return v.toString();
}

} // namespace

// ---------------------------------------------------------------- FbDatabase

FbDatabase::FbDatabase() {
    m_params << QStringLiteral("user_name=SYSDBA") << QStringLiteral("password=vintorbel")
             << QStringLiteral("lc_ctype=WIN1251");
}

FbDatabase::~FbDatabase() {
    try {
        close();
    } catch (...) {
        // Nothing can be reported from a destructor; the server rolls back what was open.
    }
}

static FbXpbBuilder buildDpb(ThrowStatusWrapper* st, const QStringList& params) {
    FbXpbBuilder dpb(client().util->getXpbBuilder(st, IXpbBuilder::DPB, nullptr, 0));
    for (const QString& line : params) {
        const int eq = line.indexOf(QLatin1Char('='));
        const QString key = (eq < 0 ? line : line.left(eq)).trimmed().toLower();
        const QByteArray value = Cp1251::encode(eq < 0 ? QString() : line.mid(eq + 1).trimmed());
        if (key == QLatin1String("user_name"))
            dpb->insertString(st, isc_dpb_user_name, value.constData());
        else if (key == QLatin1String("password"))
            dpb->insertString(st, isc_dpb_password, value.constData());
        else if (key == QLatin1String("lc_ctype"))
            dpb->insertString(st, isc_dpb_lc_ctype, value.constData());
        else if (key == QLatin1String("sql_role_name"))
            dpb->insertString(st, isc_dpb_sql_role_name, value.constData());
    }
    return dpb;
}

void FbDatabase::open() {
    if (m_attachment)
        return;
    if (m_name.isEmpty())
        throw DbError(QStringLiteral("Не указано имя базы данных"));
    try {
        m_attachment = attach(false);
    } catch (const DbError& e) {
        throw e.withMessage(
            QStringLiteral("Не удалось открыть базу данных %1:\n%2").arg(m_name, e.message()));
    }
}

void FbDatabase::createDatabase() {
    if (m_attachment)
        throw DbError(QStringLiteral("Соединение с базой данных уже открыто"));
    const bool local = !m_name.contains(QLatin1Char(':')) || QFileInfo(m_name).isAbsolute();
    if (local && QFileInfo::exists(m_name))
        throw DbError(QStringLiteral("Файл %1 уже существует").arg(m_name));
    try {
        m_attachment = attach(true);
    } catch (const DbError& e) {
        throw e.withMessage(
            QStringLiteral("Не удалось создать базу данных %1:\n%2").arg(m_name, e.message()));
    }
}

Firebird::IAttachment* FbDatabase::attach(bool create) {
    const QByteArray path = toClientPath(m_name);
    return guarded([&](ThrowStatusWrapper* st) {
        FbXpbBuilder dpb = buildDpb(st, m_params);
        if (create) {
            dpb->insertInt(st, isc_dpb_sql_dialect, 3);
            dpb->insertString(st, isc_dpb_set_db_charset, "WIN1251");
            dpb->insertInt(st, isc_dpb_page_size, 8192);
            return client().provider->createDatabase(st, path.constData(), dpb->getBufferLength(st),
                                                     dpb->getBuffer(st));
        }
        return client().provider->attachDatabase(st, path.constData(), dpb->getBufferLength(st),
                                                 dpb->getBuffer(st));
    });
}

void FbDatabase::close() {
    if (!m_attachment)
        return;
    for (FbQuery* q : m_queries)
        q->unprepare();
    std::optional<DbError> firstError;
    for (FbTransaction* t : m_transactions) {
        try {
            t->end();
        } catch (const DbError& e) {
            if (!firstError)
                firstError = e;
        }
    }
    IAttachment* att = m_attachment;
    m_attachment = nullptr;
    try {
        guarded([&](ThrowStatusWrapper* st) { att->detach(st); });
    } catch (const DbError& e) {
        att->release();
        if (!firstError)
            firstError = e;
    }
    if (firstError)
        throw *firstError;
}

// ---------------------------------------------------------------- FbTransaction

FbTransaction::FbTransaction(FbDatabase& db, DefaultAction action) : m_db(db), m_action(action) {
    m_db.m_transactions.push_back(this);
}

FbTransaction::~FbTransaction() {
    try {
        end();
    } catch (...) {
    }
    auto& v = m_db.m_transactions;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
}

void FbTransaction::startTransaction() {
    startTransaction(m_params);
}

void FbTransaction::startTransaction(const TransactionParams& params) {
    if (m_transaction)
        throw DbError(QStringLiteral("Транзакция уже активна"));
    if (!m_db.connected())
        throw DbError(QStringLiteral("Нет соединения с базой данных"));
    m_transaction = guarded([&](ThrowStatusWrapper* st) {
        if (params.isDefault())
            return m_db.attachment()->startTransaction(st, 0, nullptr);
        FbXpbBuilder tpb(client().util->getXpbBuilder(st, IXpbBuilder::TPB, nullptr, 0));
        switch (params.isolation) {
        case TransactionParams::Isolation::ServerDefault:
        case TransactionParams::Isolation::Snapshot:
            tpb->insertTag(st, isc_tpb_concurrency);
            break;
        case TransactionParams::Isolation::ReadCommitted:
            tpb->insertTag(st, isc_tpb_read_committed);
            tpb->insertTag(st, isc_tpb_rec_version);
            break;
        }
        tpb->insertTag(st, isc_tpb_write);
        tpb->insertTag(st, isc_tpb_wait);
        if (params.lockTimeoutSeconds >= 0)
            tpb->insertInt(st, isc_tpb_lock_timeout, params.lockTimeoutSeconds);
        return m_db.attachment()->startTransaction(st, tpb->getBufferLength(st),
                                                   tpb->getBuffer(st));
    });
}

void FbTransaction::commit() {
    if (!m_transaction)
        throw DbError(QStringLiteral("Транзакция не активна"));
    guarded([&](ThrowStatusWrapper* st) { m_transaction->commit(st); });
    m_transaction = nullptr;
}

void FbTransaction::rollback() {
    if (!m_transaction)
        throw DbError(QStringLiteral("Транзакция не активна"));
    ITransaction* t = m_transaction;
    try {
        guarded([&](ThrowStatusWrapper* st) { t->rollback(st); });
    } catch (...) {
        // A transaction the server could not roll back is gone for us either way (a lost
        // connection); the server undoes its work.
        t->release();
        m_transaction = nullptr;
        throw;
    }
    m_transaction = nullptr;
}

void FbTransaction::end() {
    if (!m_transaction)
        return;
    if (m_action == DefaultAction::Commit)
        commit();
    else
        rollback();
}

// ---------------------------------------------------------------- FbField

int FbField::asInteger() const {
    return int(asInt64());
}

qint64 FbField::asInt64() const {
    if (m_value.isNull())
        return 0;
    bool ok = false;
    const qint64 v = m_value.toLongLong(&ok);
    if (ok)
        return v;
    const double d = m_value.toDouble(&ok);
    if (ok)
        return qint64(std::llround(d));
    throw DbError(QStringLiteral("Значение «%1» не является целым числом").arg(m_value.toString()));
}

double FbField::asDouble() const {
    if (m_value.isNull())
        return 0;
    bool ok = false;
    const double d = m_value.toDouble(&ok);
    if (!ok)
        throw DbError(QStringLiteral("Значение «%1» не является числом").arg(m_value.toString()));
    return d;
}

QString FbField::asString() const {
    if (m_value.isNull())
        return QString();
    return variantToText(m_value);
}

QDate FbField::asDate() const {
    if (m_value.isNull())
        return QDate();
    if (m_value.typeId() == QMetaType::QDateTime)
        return m_value.toDateTime().date();
    return m_value.toDate();
}

// ---------------------------------------------------------------- FbQuery

FbQuery::FbQuery(FbDatabase& db, FbTransaction& transaction) : m_db(db), m_tr(transaction) {
    m_db.m_queries.push_back(this);
}

FbQuery::~FbQuery() {
    unprepare();
    auto& v = m_db.m_queries;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
}

void FbQuery::sqlClear() {
    m_sql.clear();
    m_sqlDirty = true;
}

void FbQuery::sqlAdd(const QString& line) {
    m_sql << line;
    m_sqlDirty = true;
}

void FbQuery::setSql(const QStringList& lines) {
    close();
    sqlClear();
    for (const QString& line : lines)
        sqlAdd(line);
}

void FbQuery::close() {
    m_open = false;
    m_rows.clear();
    m_row = 0;
}

void FbQuery::unprepare() {
    m_inMeta.reset();
    m_outMeta.reset();
    if (IStatement* statement = m_statement.release()) {
        // free() releases the statement too; only a failed free leaves that to us.
        Status st;
        try {
            statement->free(&st);
        } catch (const FbException&) {
            statement->release();
        }
    }
    m_preparedText.clear();
}

void FbQuery::parseParams() {
    if (!m_sqlDirty)
        return;
    const QString text = m_sql.join(QLatin1Char('\n'));
    std::vector<FbParam> old;
    old.swap(m_params);
    m_paramSlots.clear();
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    auto isIdentStart = [](QChar c) { return c.isLetter() || c == QLatin1Char('_'); };
    auto isIdent = [](QChar c) {
        return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
    };
    for (qsizetype i = 0; i < n;) {
        const QChar c = text[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            qsizetype j = i + 1;
            while (j < n) {
                if (text[j] == c) {
                    if (j + 1 < n && text[j + 1] == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            j = std::min(j + 1, n);
            out += QStringView(text).mid(i, j - i);
            i = j;
        } else if (c == QLatin1Char('-') && i + 1 < n && text[i + 1] == QLatin1Char('-')) {
            qsizetype j = text.indexOf(QLatin1Char('\n'), i);
            if (j < 0)
                j = n;
            out += QStringView(text).mid(i, j - i);
            i = j;
        } else if (c == QLatin1Char('/') && i + 1 < n && text[i + 1] == QLatin1Char('*')) {
            qsizetype j = text.indexOf(QLatin1String("*/"), i + 2);
            j = j < 0 ? n : j + 2;
            out += QStringView(text).mid(i, j - i);
            i = j;
        } else if (c == QLatin1Char(':') && i + 1 < n && isIdentStart(text[i + 1])) {
            qsizetype j = i + 1;
            while (j < n && isIdent(text[j]))
                ++j;
            const QString name = text.mid(i + 1, j - i - 1).toUpper();
            int index = -1;
            for (std::size_t k = 0; k < m_params.size(); ++k) {
                if (m_params[k].m_name == name)
                    index = int(k);
            }
            if (index < 0) {
                FbParam p;
                p.m_name = name;
                m_params.push_back(p);
                index = int(m_params.size() - 1);
            }
            m_paramSlots.push_back(index);
            out += QLatin1Char('?');
            i = j;
        } else {
            out += c;
            ++i;
        }
    }
    // Values bound before the text was completed stay bound to their names.
    for (FbParam& p : m_params) {
        for (const FbParam& o : old) {
            if (o.m_name == p.m_name)
                p.m_value = o.m_value;
        }
    }
    m_rewritten = out;
    m_sqlDirty = false;
}

void FbQuery::prepare() {
    parseParams();
    if (m_statement && m_preparedText == m_rewritten)
        return;
    unprepare();
    if (!m_db.connected())
        m_db.open();
    if (!m_tr.inTransaction())
        m_tr.startTransaction();
    const QByteArray text = Cp1251::encode(m_rewritten);
    guarded([&](ThrowStatusWrapper* st) {
        m_statement.reset(m_db.attachment()->prepare(st, m_tr.handle(), unsigned(text.size()),
                                                     text.constData(), SQL_DIALECT_V6,
                                                     IStatement::PREPARE_PREFETCH_METADATA));
        m_inMeta.reset(m_statement->getInputMetadata(st));
        // Fixed-length text parameters travel as VARCHAR: the server pads or converts them
        // as the target needs, and a CSTRING argument of a function gets no trailing blanks.
        const unsigned inCount = m_inMeta->getCount(st);
        FbMetadataBuilder builder;
        for (unsigned i = 0; i < inCount; ++i) {
            if ((m_inMeta->getType(st, i) & ~1u) != SQL_TEXT)
                continue;
            if (!builder)
                builder.reset(m_inMeta->getBuilder(st));
            builder->setType(st, i, SQL_VARYING | 1);
        }
        if (builder)
            m_inMeta.reset(builder->getMetadata(st));
        m_outMeta.reset(m_statement->getOutputMetadata(st));
        if (m_inMeta->getCount(st) != m_paramSlots.size())
            throw DbError(QStringLiteral("Число параметров запроса не совпадает с его текстом"));
        m_fieldNames.clear();
        const unsigned count = m_outMeta->getCount(st);
        for (unsigned i = 0; i < count; ++i)
            m_fieldNames << decodeMessage(QByteArray(m_outMeta->getAlias(st, i)));
        auto describe = [st](IMessageMetadata* meta, std::vector<Slot>& described,
                             std::vector<std::max_align_t>& buffer) {
            const unsigned n = meta->getCount(st);
            described.resize(n);
            for (unsigned i = 0; i < n; ++i) {
                Slot& d = described[i];
                d.type = meta->getType(st, i) & ~1u;
                d.subType = meta->getSubType(st, i);
                d.scale = meta->getScale(st, i);
                d.length = meta->getLength(st, i);
                d.offset = meta->getOffset(st, i);
                d.nullOffset = meta->getNullOffset(st, i);
            }
            buffer.assign(meta->getMessageLength(st) / sizeof(std::max_align_t) + 1,
                          std::max_align_t());
        };
        describe(m_inMeta.get(), m_inSlots, m_inBuffer);
        describe(m_outMeta.get(), m_outSlots, m_outBuffer);
    });
    m_preparedText = m_rewritten;
}

FbParam& FbQuery::paramByName(const QString& name) {
    parseParams();
    const QString upper = name.toUpper();
    for (FbParam& p : m_params) {
        if (p.m_name == upper)
            return p;
    }
    throw DbError(QStringLiteral("Параметр %1 не найден").arg(name));
}

int FbQuery::paramCount() {
    parseParams();
    return int(m_params.size());
}

void FbQuery::ensureReady() {
    if (!m_db.connected())
        m_db.open();
    if (!m_tr.inTransaction())
        m_tr.startTransaction();
    prepare();
}

unsigned char* FbQuery::buildInput() {
    unsigned char* base = reinterpret_cast<unsigned char*>(m_inBuffer.data());
    return guarded([&](ThrowStatusWrapper* st) {
        for (std::size_t slot = 0; slot < m_paramSlots.size(); ++slot) {
            const Slot& d = m_inSlots[slot];
            const FbParam& p = m_params[std::size_t(m_paramSlots[slot])];
            unsigned char* data = base + d.offset;
            unsigned char* nullFlag = base + d.nullOffset;
            const QVariant& v = p.m_value;
            if (v.isNull() || !v.isValid()) {
                put<short>(nullFlag, -1);
                continue;
            }
            put<short>(nullFlag, 0);
            const unsigned type = d.type;
            const int scale = d.scale;
            const unsigned size = d.length;
            switch (type) {
            case SQL_VARYING:
            case SQL_TEXT: {
                const QByteArray bytes = Cp1251::encode(variantToText(v));
                if (unsigned(bytes.size()) > size) {
                    throw DbError(QStringLiteral("Значение параметра %1 слишком длинное: %2 "
                                                 "символов при допустимых %3")
                                      .arg(p.m_name)
                                      .arg(bytes.size())
                                      .arg(size));
                }
                if (type == SQL_VARYING) {
                    put<unsigned short>(data, static_cast<unsigned short>(bytes.size()));
                    std::memcpy(data + 2, bytes.constData(), std::size_t(bytes.size()));
                } else {
                    std::memset(data, ' ', size);
                    std::memcpy(data, bytes.constData(), std::size_t(bytes.size()));
                }
                break;
            }
            case SQL_SHORT: {
                const qint64 x = variantToInt(v, p.m_name, scale);
                if (x < std::numeric_limits<short>::min() || x > std::numeric_limits<short>::max())
                    conversionError(p.m_name, v, "SMALLINT");
                put<short>(data, short(x));
                break;
            }
            case SQL_LONG: {
                const qint64 x = variantToInt(v, p.m_name, scale);
                if (x < std::numeric_limits<ISC_LONG>::min() ||
                    x > std::numeric_limits<ISC_LONG>::max())
                    conversionError(p.m_name, v, "INTEGER");
                put<ISC_LONG>(data, ISC_LONG(x));
                break;
            }
            case SQL_INT64:
                put<ISC_INT64>(data, variantToInt(v, p.m_name, scale));
                break;
            case SQL_DOUBLE:
            case SQL_D_FLOAT:
                put<double>(data, variantToDouble(v, p.m_name));
                break;
            case SQL_FLOAT:
                put<float>(data, float(variantToDouble(v, p.m_name)));
                break;
            case SQL_BOOLEAN:
                put<unsigned char>(data, v.toBool() ? 1 : 0);
                break;
            case SQL_TYPE_DATE:
                put<ISC_DATE>(data, encodeDate(variantToDate(v, p.m_name)));
                break;
            case SQL_TYPE_TIME:
                put<ISC_TIME>(data, encodeTime(v.toTime()));
                break;
            case SQL_TIMESTAMP: {
                ISC_TIMESTAMP ts;
                if (v.typeId() == QMetaType::QDateTime) {
                    ts.timestamp_date = encodeDate(v.toDateTime().date());
                    ts.timestamp_time = encodeTime(v.toDateTime().time());
                } else {
                    ts.timestamp_date = encodeDate(variantToDate(v, p.m_name));
                    ts.timestamp_time = 0;
                }
                put<ISC_TIMESTAMP>(data, ts);
                break;
            }
            case SQL_BLOB: {
                const QByteArray bytes = v.typeId() == QMetaType::QByteArray
                                             ? v.toByteArray()
                                             : Cp1251::encode(variantToText(v));
                ISC_QUAD id;
                FbBlob blob(m_db.attachment()->createBlob(st, m_tr.handle(), &id, 0, nullptr));
                for (qsizetype off = 0; off < bytes.size(); off += 32768) {
                    const auto chunk = std::min<qsizetype>(32768, bytes.size() - off);
                    blob->putSegment(st, unsigned(chunk), bytes.constData() + off);
                }
                blob->close(st); // releases the blob
                (void)blob.release();
                put<ISC_QUAD>(data, id);
                break;
            }
            case SQL_NULL:
                break;
            default:
                throw DbError(QStringLiteral("Неподдерживаемый тип параметра %1").arg(p.m_name));
            }
        }
        return base;
    });
}

void FbQuery::readRow(const unsigned char* base, QVector<QVariant>& row) {
    guarded([&](ThrowStatusWrapper* st) {
        const unsigned count = unsigned(m_outSlots.size());
        row.resize(int(count));
        for (unsigned i = 0; i < count; ++i) {
            const Slot& d = m_outSlots[i];
            if (get<short>(base + d.nullOffset) != 0) {
                row[int(i)] = QVariant();
                continue;
            }
            const unsigned char* data = base + d.offset;
            const unsigned type = d.type;
            const int scale = d.scale;
            QVariant& out = row[int(i)];
            auto scaled = [&](qint64 x) -> QVariant {
                if (scale == 0)
                    return QVariant::fromValue(x);
                return double(x) * power10(scale);
            };
            switch (type) {
            case SQL_VARYING: {
                const auto len = get<unsigned short>(data);
                out = Cp1251::decode(reinterpret_cast<const char*>(data + 2), len);
                break;
            }
            case SQL_TEXT:
                out = Cp1251::decode(reinterpret_cast<const char*>(data), qsizetype(d.length));
                break;
            case SQL_SHORT:
                out = scale == 0 ? QVariant(int(get<short>(data))) : scaled(get<short>(data));
                break;
            case SQL_LONG:
                out = scale == 0 ? QVariant(int(get<ISC_LONG>(data))) : scaled(get<ISC_LONG>(data));
                break;
            case SQL_INT64:
                out = scaled(get<ISC_INT64>(data));
                break;
            case SQL_DOUBLE:
            case SQL_D_FLOAT:
                out = get<double>(data);
                break;
            case SQL_FLOAT:
                out = double(get<float>(data));
                break;
            case SQL_BOOLEAN:
                out = get<unsigned char>(data) != 0;
                break;
            case SQL_TYPE_DATE:
                out = decodeDate(get<ISC_DATE>(data));
                break;
            case SQL_TYPE_TIME:
                out = decodeTime(get<ISC_TIME>(data));
                break;
            case SQL_TIMESTAMP: {
                const auto ts = get<ISC_TIMESTAMP>(data);
                out = QDateTime(decodeDate(ts.timestamp_date), decodeTime(ts.timestamp_time));
                break;
            }
            case SQL_BLOB: {
                ISC_QUAD id = get<ISC_QUAD>(data);
                FbBlob blob(m_db.attachment()->openBlob(st, m_tr.handle(), &id, 0, nullptr));
                QByteArray bytes;
                char chunk[32768];
                for (;;) {
                    unsigned got = 0;
                    const int rc = blob->getSegment(st, sizeof chunk, chunk, &got);
                    if (rc == IStatus::RESULT_OK || rc == IStatus::RESULT_SEGMENT)
                        bytes.append(chunk, got);
                    else
                        break;
                }
                blob->close(st); // releases the blob
                (void)blob.release();
                if (d.subType == 1)
                    out = Cp1251::decode(bytes);
                else
                    out = bytes;
                break;
            }
            default:
                out = QVariant();
            }
        }
    });
}

void FbQuery::open() {
    close();
    ensureReady();
    unsigned char* input = buildInput();
    guarded([&](ThrowStatusWrapper* st) {
        auto* buf = reinterpret_cast<unsigned char*>(m_outBuffer.data());
        FbResultSet rs(
            m_statement->openCursor(st, m_tr.handle(), m_inMeta.get(), input, m_outMeta.get(), 0));
        try {
            while (rs->fetchNext(st, buf) == IStatus::RESULT_OK) {
                QVector<QVariant> row;
                readRow(buf, row);
                m_rows.append(std::move(row));
            }
        } catch (...) {
            m_rows.clear();
            throw;
        }
        rs->close(st); // releases the cursor
        (void)rs.release();
    });
    m_open = true;
    m_row = 0;
}

void FbQuery::execSql() {
    close();
    ensureReady();
    unsigned char* input = buildInput();
    guarded([&](ThrowStatusWrapper* st) {
        m_statement->execute(st, m_tr.handle(), m_inMeta.get(), input, m_outMeta.get(),
                             m_outBuffer.data());
        m_rowsAffected = qint64(m_statement->getAffectedRecords(st));
    });
}

QString FbQuery::plan() {
    ensureReady();
    return guarded([&](ThrowStatusWrapper* st) {
        const char* text = m_statement->getPlan(st, false);
        return text ? decodeMessage(QByteArray(text)) : QString();
    });
}

int FbQuery::fieldIndex(const QString& name) const {
    for (int i = 0; i < m_fieldNames.size(); ++i) {
        if (m_fieldNames[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

FbField FbQuery::fieldByName(const QString& name) const {
    const int i = fieldIndex(name);
    if (i < 0)
        throw DbError(QStringLiteral("Поле %1 не найдено").arg(name));
    if (eof())
        throw DbError(QStringLiteral("Нет текущей записи"));
    return FbField(m_rows[m_row][i]);
}

QVariant FbQuery::value(int row, int column) const {
    if (row < 0 || row >= m_rows.size() || column < 0 || column >= m_fieldNames.size())
        return QVariant();
    return m_rows[row][column];
}
