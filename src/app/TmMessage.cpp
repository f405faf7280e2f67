#include "app/TmMessage.h"

#include "framework/TextRoutines.h"

QByteArray JoinItems(std::initializer_list<QByteArray> items)
{
    QByteArray line;
    for (const QByteArray &item : items) {
        if (&item != items.begin())
            line += '`';
        line += item;
    }
    return line;
}

QByteArray ComposeTmMessage(const TDeviceEvent &event, const QByteArray &host, bool indicatorBlockV2,
                            const QByteArray &extra)
{
    const QByteArray head = JoinItems({"hw", "TMSTATION", "TMD83000000", "TMADAPT$VorQT.TM_AS_$VorQT=" + host});
    QByteArray line;
    if (!event.Mode) {
        line = JoinItems({head, "TMPORT$QZR_0",
                          "_RQL_MUX3.qzrexMux3Idx=" + IntToStr(event.a),
                          "_RQL_MUX2.qzrexMux2Idx=" + IntToStr(event.b),
                          "TMO_QZREX_STATUS_20.qzrexSt2Num=" + IntToStr(event.c >> 5),
                          "TMO_QZREX_ST2_IND.qzrexSt2IndNum=" + IntToStr(event.c & 31)});
    } else {
        const QByteArray status = "$" + IntToHex(event.a * 256u + event.b, 4);
        if (indicatorBlockV2)
            line = JoinItems({head, "TMPORT$QZR_1", "TMO_QZREX_STATUS_20.qzrexSt2Num=" + status,
                              "TMO_QZREX_ST2_IND.qzrexSt2IndNum=" + IntToStr(event.c)});
        else
            line = JoinItems({head, "TMPORT$QZR_1", "TMO_QZREX_STATUS.qzrexStNum=" + status,
                              "TMO_QZREX_ST_IND.qzrexStIndNum=" + IntToStr(event.c)});
    }
    QByteArray message = line + "\r\n";
    if (!extra.isEmpty())
        message += extra + "\r\n";
    message += '\0';
    return message;
}

QByteArray TmMailslotPath(const QByteArray &tmServerName)
{
    return "\\\\.\\mailslot\\" + tmServerName + ".ms";
}
