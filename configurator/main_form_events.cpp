#include "configurator/main_form.h"

void TForm1::WireEvents() {
    auto event = [this](void (TForm1::*handler)(TObject*)) {
        return [this, handler](TObject* sender) { (this->*handler)(sender); };
    };
    for (TButton* button : {Button1, Button2, Button3, Button4, Button5, Button6})
        button->OnClick = event(&TForm1::Button1Click);
    Button7->OnClick = event(&TForm1::Button7Click);
    Button8->OnClick = event(&TForm1::Button8Click);
    Button9->OnClick = event(&TForm1::Button9Click);
    Button10->OnClick = event(&TForm1::Button10Click);
    ComboBox3->OnChange = event(&TForm1::ComboBox3Change);
    for (TEdit* edit : {Edit2, Edit3, Edit4, Edit9, Edit10, Edit13})
        edit->OnExit = event(&TForm1::Edit9Exit);
    Timer1->OnTimer = event(&TForm1::Timer1Timer);
    Timer2->OnTimer = event(&TForm1::Timer2Timer);
    OnCloseQuery = [this](TObject* sender, bool& canClose) { FormCloseQuery(sender, canClose); };
}
