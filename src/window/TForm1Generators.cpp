#include "window/FormServices.h"
#include "window/TForm1.h"

#include "window/GeneratorCommands.h"

namespace quill {

using namespace Qt::StringLiterals;

GeneratorCommands& TForm1::generators() {
    if (!generators_)
        generators_ = std::make_shared<GeneratorCommands>(
            *services_.dialogs, *ComboBox1, services_.seedClock, services_.generatorMemoryBudget);
    return *generators_;
}

void TForm1::RandomizeWords1Click() {
    generators().plainWords(u"128"_s, 4);
}
void TForm1::RandomizeWordsFrom5Characters1Click() {
    generators().plainWords(u"256"_s, 5);
}
void TForm1::RandomizeWord1Click() {
    generators().firstTextWords(u"256"_s, 3, 0b111);
}
// These two make the fourth draw of every word and drop it.
void TForm1::RandomizeWordsOtherMethodFrom5Character1Click() {
    generators().firstTextWords(u"512"_s, 5, 0b10111);
}
void TForm1::RandomizeWordsOtherMethodFrom6Character1Click() {
    generators().firstTextWords(u"1024"_s, 6, 0b110111);
}
void TForm1::RandomizeVariations1Click() {
    generators().variations();
}
void TForm1::WebAddress1Click() {
    generators().webAddresses();
}
void TForm1::N2Click() {
    generators().ordinalNumbers();
}
void TForm1::Character1Click() {
    generators().ordinalCharacters();
}
void TForm1::N3CharacterWords1Click() {
    generators().plainWords(u"256"_s, 3);
}
void TForm1::N6CharacterWords1Click() {
    generators().plainWords(u"256"_s, 6);
}
void TForm1::N7CharacterWords1Click() {
    generators().plainWords(u"256"_s, 7);
}
void TForm1::N8CharacterWords1Click() {
    generators().plainWords(u"256"_s, 8);
}
void TForm1::N9CharacterWords1Click() {
    generators().plainWords(u"256"_s, 9);
}
void TForm1::N10CharacterWords1Click() {
    generators().plainWords(u"256"_s, 10);
}
void TForm1::N11CharacterWords1Click() {
    generators().plainWords(u"256"_s, 11);
}
void TForm1::N12CharacterWords1Click() {
    generators().plainWords(u"256"_s, 12);
}

} // namespace quill
