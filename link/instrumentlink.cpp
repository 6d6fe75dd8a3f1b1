#include "instrumentlink.h"

InstrumentLink::InstrumentLink(LinkState& link, MeasurementRecord& record)
    : sender(Comm1, link), dispatcher(Comm1, link, record, sender),
      control(link, sender, dispatcher)
{
    Comm1.setBaudRate(TBaudRate::br115200);
    Comm1.setDataBits(TDataBits::DB8);
    Comm1.setParity(TParity::None);
    Comm1.setStopBits(TStopBits::SB1);
    Comm1.setHwHandShaking(THWHandShaking::hhNone);
    Comm1.setSwHandShaking(TSWHandShaking::shNone);
    Comm1.InputLen = 0;
    Comm1.setRThreshold(1);
    QObject::connect(&Comm1, &TComm::OnReceiveData, &dispatcher,
                     &ResponseDispatcher::Comm1ReceiveData);
}
