// main_controls: the controls of the main window's two pages, shared by the
// classes that edit the project (the widgets are owned by the window).
#pragma once

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QTabWidget;
class QWidget;

struct main_controls {
    QTabWidget* tabs = nullptr;       // TabControl1
    QWidget* project_page = nullptr;  // inside a scroll area, as is the format page
    QWidget* format_page = nullptr;
    QRadioButton* single = nullptr;          // RadioButton1
    QRadioButton* multiple = nullptr;        // RadioButton2
    QGroupBox* source_group = nullptr;       // GroupBox3
    QLineEdit* source_field = nullptr;       // Edit2
    QPushButton* source_select = nullptr;    // BitBtn6
    QGroupBox* destination_group = nullptr;  // GroupBox1
    QWidget* overwrite_row = nullptr;
    QCheckBox* overwrite = nullptr;             // CheckBox2
    QLineEdit* destination_field = nullptr;     // Edit1
    QPushButton* destination_save = nullptr;    // BitBtn5
    QPushButton* destination_select = nullptr;  // BitBtn8
    QGroupBox* sources_group = nullptr;         // GroupBox2
    QListWidget* source_list = nullptr;         // ListView1
    QPushButton* add_files = nullptr;           // BitBtn1
    QPushButton* add_folder = nullptr;          // BitBtn9
    QPushButton* delete_files = nullptr;        // BitBtn2
    QPushButton* move_up = nullptr;             // BitBtn3
    QPushButton* move_down = nullptr;           // BitBtn4
    QWidget* single_spacer = nullptr;           // keeps single-mode groups at the top
    QGroupBox* range_group = nullptr;           // GroupBox4
    QComboBox* range_from = nullptr;            // ComboBox1
    QComboBox* range_to = nullptr;              // ComboBox2
    QCheckBox* process_title = nullptr;         // CheckBox3
    QGroupBox* style_group = nullptr;           // GroupBox5
    QCheckBox* process_numbering = nullptr;     // CheckBox4
    QCheckBox* insert_local_toc = nullptr;      // CheckBox1
    QLineEdit* anchor_attributes = nullptr;     // Edit3
    QLabel* anchor_attributes_label = nullptr;  // Label2
    QLineEdit* indent = nullptr;                // Edit4
    QCheckBox* anchor_ids = nullptr;            // CheckBox5
    QLineEdit* skip_class = nullptr;            // Edit5
    QLineEdit* heading_links = nullptr;         // Edit6
    QLineEdit* numbering_from = nullptr;        // Edit7
    QLineEdit* numbering_to = nullptr;          // Edit8
    QLineEdit* numbering_start = nullptr;       // Edit9
    QLineEdit* unnumbered_class = nullptr;      // Edit10
    QLineEdit* number_class = nullptr;          // Edit11
    QGroupBox* template_group = nullptr;        // GroupBox6
    QComboBox* template_list = nullptr;         // ComboBox3
    QPushButton* edit_template = nullptr;       // BitBtn7
    QLabel* template_description = nullptr;     // Label3
};
