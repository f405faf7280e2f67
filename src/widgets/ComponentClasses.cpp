#include "widgets/ComponentStream.h"

#include "widgets/Image.h"
#include "widgets/Memo.h"
#include "widgets/PaletteGrid.h"
#include "widgets/CheckBox.h"
#include "framework/Component.h"
#include "widgets/LabeledEdit.h"

namespace {
template <class T>
std::function<QObject *()> Factory()
{
    return [] { return new T; };
}
} // namespace

// The clipboard viewer is left out on purpose: one read from the clipboard
// would join the clipboard chain and show the clipboard's component again,
// inside itself, without end.
QList<TComponentClass> ProgramComponentClasses()
{
    return {
        {QStringLiteral("TComponent"), Factory<TComponent>(), {}},
        {QStringLiteral("TLabeledEdit"), Factory<TLabeledEdit>(),
         {QtProperty("Text"), QtProperty("LabelCaption"), QtProperty("LabelSpacing")}},
        {QStringLiteral("TCheckBox"), Factory<TCheckBox>(),
         {{QStringLiteral("Caption"), [](const QObject *o) { return o->property("text"); },
           [](QObject *o, const QVariant &v) {
               if (v.typeId() != QMetaType::QString)
                   throw EReadError("Invalid value for property Caption");
               o->setProperty("text", v);
           }},
          QtProperty("Checked")}},
        {QStringLiteral("TMemo"), Factory<TMemo>(),
         {QtProperty("Text"), QtProperty("WordWrap"), QtProperty("ReadOnly"), QtProperty("MaxLength")}},
        {QStringLiteral("TImage"), Factory<TImage>(), {QtProperty("AutoSize")}},
        {QStringLiteral("TPaletteGrid"), Factory<TPaletteGrid>(), {}},
    };
}
