<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>Quillmark::ErrorDisplay</name>
    <message>
        <source>An unexpected error occurred.</source>
        <translation>Ein unerwarteter Fehler ist aufgetreten.</translation>
    </message>
</context>
<context>
    <name>Quillmark::TAboutDlg</name>
    <message>
        <source>Version %1.%2</source>
        <translation>Version %1.%2</translation>
    </message>
    <message>
        <source>Copyright © 2026 The Quillmark developers</source>
        <translation>Copyright © 2026 Die Quillmark-Entwickler</translation>
    </message>
</context>
<context>
    <name>Quillmark::TFrameDialog</name>
    <message>
        <source>%1 x %2 pixels, %3 bytes</source>
        <translation>%1 × %2 Pixel, %3 Byte</translation>
    </message>
    <message>
        <source>Make Preview from Video</source>
        <translation>Vorschau aus dem Video erstellen</translation>
    </message>
    <message>
        <source>Make Title Poster from Video</source>
        <translation>Titelposter aus dem Video erstellen</translation>
    </message>
    <message>
        <source>Frame:</source>
        <translation>Einzelbild:</translation>
    </message>
    <message>
        <source>Preview:</source>
        <translation>Vorschau:</translation>
    </message>
    <message>
        <source>Title poster:</source>
        <translation>Titelposter:</translation>
    </message>
    <message>
        <source>Time in the video</source>
        <translation>Zeitpunkt im Video</translation>
    </message>
    <message>
        <source>Frame</source>
        <translation>Einzelbild</translation>
    </message>
    <message>
        <source>Preview image</source>
        <translation>Vorschaubild</translation>
    </message>
    <message>
        <source>Title poster image</source>
        <translation>Titelposterbild</translation>
    </message>
    <message>
        <source>Reading the frame...</source>
        <translation>Das Einzelbild wird gelesen...</translation>
    </message>
</context>
<context>
    <name>Quillmark::TMainForm</name>
    <message>
        <source>Windows Media Files|*.wmv|All Files|*.*</source>
        <translation>Windows-Media-Dateien|*.wmv|Alle Dateien|*.*</translation>
    </message>
    <message>
        <source>JPEG Images|*.jpg;*.jpeg|All Files|*.*</source>
        <translation>JPEG-Bilder|*.jpg;*.jpeg|Alle Dateien|*.*</translation>
    </message>
    <message>
        <source>&amp;About %1...</source>
        <translation>&amp;Über %1...</translation>
    </message>
    <message>
        <source>The current file has not been saved. Do you want to save it now?</source>
        <translation>Die aktuelle Datei wurde nicht gespeichert. Möchten Sie sie jetzt speichern?</translation>
    </message>
    <message>
        <source>About %1</source>
        <translation>Über %1</translation>
    </message>
    <message>
        <source>Reading the picture...</source>
        <translation>Das Bild wird gelesen...</translation>
    </message>
    <message>
        <source>Opening the file...</source>
        <translation>Die Datei wird geöffnet...</translation>
    </message>
    <message>
        <source>Saving the file...</source>
        <translation>Die Datei wird gespeichert...</translation>
    </message>
    <message>
        <source>Could not open file &apos;%1&apos;!<byte value="xd"/><byte value="xd"/>Make sure it is not opened by another application.</source>
        <translation>Die Datei „%1“ konnte nicht geöffnet werden!<byte value="xd"/><byte value="xd"/>Stellen Sie sicher, dass sie nicht von einem anderen Programm geöffnet ist.</translation>
    </message>
    <message>
        <source>Cause: %1.</source>
        <translation>Ursache: %1.</translation>
    </message>
    <message>
        <source>Could not save file &apos;%1&apos;!<byte value="xd"/><byte value="xd"/>Make sure it is not opened by another application.</source>
        <translation>Die Datei „%1“ konnte nicht gespeichert werden!<byte value="xd"/><byte value="xd"/>Stellen Sie sicher, dass sie nicht von einem anderen Programm geöffnet ist.</translation>
    </message>
    <message>
        <source>Failed to create metadata editor!</source>
        <translation>Der Metadaten-Editor konnte nicht erstellt werden!</translation>
    </message>
    <message>
        <source>Failed to read metadata!</source>
        <translation>Die Metadaten konnten nicht gelesen werden!</translation>
    </message>
    <message>
        <source>Could not save metadata!</source>
        <translation>Die Metadaten konnten nicht gespeichert werden!</translation>
    </message>
    <message>
        <source>Failed to reload metadata!</source>
        <translation>Die Metadaten konnten nicht neu geladen werden!</translation>
    </message>
    <message>
        <source>%1, half width</source>
        <translation>%1, halbe Breite</translation>
    </message>
    <message>
        <source>%1, half height</source>
        <translation>%1, halbe Höhe</translation>
    </message>
    <message>
        <source>%1, full resolution</source>
        <translation>%1, volle Auflösung</translation>
    </message>
    <message>
        <source>%1%</source>
        <translation>%1 %</translation>
    </message>
    <message>
        <source>Could not read the video of &apos;%1&apos;!<byte value="xd"/><byte value="xd"/>%2</source>
        <translation>Das Video von „%1“ konnte nicht gelesen werden!<byte value="xd"/><byte value="xd"/>%2</translation>
    </message>
    <message>
        <source>Detecting the stereo layout...</source>
        <translation>Die Stereoanordnung wird erkannt...</translation>
    </message>
    <message>
        <source>The video holds two views side by side, but which eye comes first cannot be told from its frames.<byte value="xd"/><byte value="xd"/>Is the left half the left eye&apos;s view? Yes sets Side by Side, Left Image First; No sets Side by Side, Right Image First.</source>
        <translation>Das Video enthält zwei Ansichten nebeneinander, aber welches Auge zuerst kommt, lässt sich an seinen Bildern nicht erkennen.<byte value="xd"/><byte value="xd"/>Ist die linke Hälfte die Ansicht des linken Auges? Ja wählt „Nebeneinander, linkes Bild zuerst“; Nein wählt „Nebeneinander, rechtes Bild zuerst“.</translation>
    </message>
    <message>
        <source>The video holds two views over/under, but which eye comes first cannot be told from its frames.<byte value="xd"/><byte value="xd"/>Is the top half the left eye&apos;s view? Yes sets Over/Under, Left Image Top; No sets Over/Under, Right Image Top.</source>
        <translation>Das Video enthält zwei Ansichten übereinander, aber welches Auge zuerst kommt, lässt sich an seinen Bildern nicht erkennen.<byte value="xd"/><byte value="xd"/>Ist die obere Hälfte die Ansicht des linken Auges? Ja wählt „Übereinander, linkes Bild oben“; Nein wählt „Übereinander, rechtes Bild oben“.</translation>
    </message>
    <message>
        <source>The stereo layout could not be detected with confidence.<byte value="xd"/><byte value="xd"/>Best guess: %1 (confidence %2). Nothing was changed.</source>
        <translation>Die Stereoanordnung konnte nicht sicher erkannt werden.<byte value="xd"/><byte value="xd"/>Beste Schätzung: %1 (Sicherheit %2). Es wurde nichts geändert.</translation>
    </message>
    <message>
        <source>Detected stereo layout: %1.<byte value="xd"/><byte value="xd"/>Confidence: %2. Check the Stereo page; nothing is saved until File &gt; Save.</source>
        <translation>Erkannte Stereoanordnung: %1.<byte value="xd"/><byte value="xd"/>Sicherheit: %2. Prüfen Sie die Seite „Stereo“; gespeichert wird erst mit Datei &gt; Speichern.</translation>
    </message>
    <message>
        <source>Reading the video...</source>
        <translation>Das Video wird gelesen...</translation>
    </message>
    <message>
        <source>No image available</source>
        <translation>Kein Bild vorhanden</translation>
    </message>
    <message>
        <source>Please enter a valid 2D intro duration!</source>
        <translation>Bitte geben Sie eine gültige Dauer des 2D-Vorspanns ein!</translation>
    </message>
    <message>
        <source>Please enter a valid parallax correction!</source>
        <translation>Bitte geben Sie eine gültige Parallaxenkorrektur ein!</translation>
    </message>
    <message>
        <source>Please select a stereoscopic layout!</source>
        <translation>Bitte wählen Sie eine stereoskopische Anordnung!</translation>
    </message>
    <message>
        <source>Please enter a valid title index!</source>
        <translation>Bitte geben Sie einen gültigen Titelindex ein!</translation>
    </message>
    <message>
        <source>Could not delete %1</source>
        <translation>%1 konnte nicht gelöscht werden</translation>
    </message>
    <message>
        <source>Could not open file &apos;%1&apos;!</source>
        <translation>Die Datei „%1“ konnte nicht geöffnet werden!</translation>
    </message>
    <message>
        <source>This image cannot be used as preview! Suitable images must be JPEG files smaller than 10 kB with a resolution of 160 x 120 pixels.</source>
        <translation>Dieses Bild kann nicht als Vorschau verwendet werden! Geeignete Bilder sind JPEG-Dateien unter 10 kB mit einer Auflösung von 160 × 120 Pixeln.</translation>
    </message>
    <message>
        <source>This image cannot be used as title poster! Suitable images must be JPEG files with a minimum resolution of 480 x 480 pixels.</source>
        <translation>Dieses Bild kann nicht als Titelposter verwendet werden! Geeignete Bilder sind JPEG-Dateien mit einer Auflösung von mindestens 480 × 480 Pixeln.</translation>
    </message>
    <message>
        <source>The side file %1 of %2 was cut short while being written; the file was never changed.<byte value="xd"/><byte value="xd"/>The file is shown as it is; opening it for editing removes the side file.</source>
        <translation>Die Begleitdatei %1 von %2 wurde beim Schreiben abgebrochen; die Datei wurde nie verändert.<byte value="xd"/><byte value="xd"/>Die Datei wird unverändert angezeigt; beim Öffnen zum Bearbeiten wird die Begleitdatei entfernt.</translation>
    </message>
    <message>
        <source>The side file %1 was not used: it cannot be shown to be an interrupted save of %2.<byte value="xd"/><byte value="xd"/>The file is shown as it is, and it cannot be saved until the side file is removed.</source>
        <translation>Die Begleitdatei %1 wurde nicht verwendet: Es lässt sich nicht zeigen, dass sie zu einer unterbrochenen Speicherung von %2 gehört.<byte value="xd"/><byte value="xd"/>Die Datei wird unverändert angezeigt und kann erst gespeichert werden, wenn die Begleitdatei entfernt ist.</translation>
    </message>
    <message>
        <source>The side file %1 holds an interrupted save of %2.<byte value="xd"/><byte value="xd"/>The file is shown as it is; opening it for editing puts the old header back from the side file.</source>
        <translation>Die Begleitdatei %1 enthält eine unterbrochene Speicherung von %2.<byte value="xd"/><byte value="xd"/>Die Datei wird unverändert angezeigt; beim Öffnen zum Bearbeiten wird der alte Dateikopf aus der Begleitdatei wiederhergestellt.</translation>
    </message>
    <message>
        <source>The side file %1 holds an interrupted save of %2.<byte value="xd"/><byte value="xd"/>The file is shown as it is; the save had finished, and opening it for editing keeps it and removes the side file.</source>
        <translation>Die Begleitdatei %1 enthält eine unterbrochene Speicherung von %2.<byte value="xd"/><byte value="xd"/>Die Datei wird unverändert angezeigt; die Speicherung war abgeschlossen, und beim Öffnen zum Bearbeiten bleibt sie erhalten und die Begleitdatei wird entfernt.</translation>
    </message>
    <message>
        <source>The side file %1 holds an interrupted save of %2.<byte value="xd"/><byte value="xd"/>The file is shown as it is; opening it for editing puts its header back in order.</source>
        <translation>Die Begleitdatei %1 enthält eine unterbrochene Speicherung von %2.<byte value="xd"/><byte value="xd"/>Die Datei wird unverändert angezeigt; beim Öffnen zum Bearbeiten wird ihr Dateikopf wieder in Ordnung gebracht.</translation>
    </message>
    <message>
        <source>An interrupted save of %1 was undone with its side file %2.</source>
        <translation>Eine unterbrochene Speicherung von %1 wurde mit ihrer Begleitdatei %2 rückgängig gemacht.</translation>
    </message>
    <message>
        <source>An interrupted save of %1 had finished; its side file %2 was removed.</source>
        <translation>Eine unterbrochene Speicherung von %1 war abgeschlossen; ihre Begleitdatei %2 wurde entfernt.</translation>
    </message>
    <message>
        <source>The unfinished side file %1 of %2 was removed; the file had not been changed.</source>
        <translation>Die unfertige Begleitdatei %1 von %2 wurde entfernt; die Datei war nicht verändert worden.</translation>
    </message>
    <message>
        <source>the file was not found</source>
        <translation>die Datei wurde nicht gefunden</translation>
    </message>
    <message>
        <source>permission denied</source>
        <translation>Zugriff verweigert</translation>
    </message>
    <message>
        <source>it is not a Windows Media file</source>
        <translation>es ist keine Windows-Media-Datei</translation>
    </message>
    <message>
        <source>its header is damaged</source>
        <translation>ihr Dateikopf ist beschädigt</translation>
    </message>
    <message>
        <source>another program holds it open</source>
        <translation>ein anderes Programm hält sie geöffnet</translation>
    </message>
    <message>
        <source>the disk is full</source>
        <translation>der Datenträger ist voll</translation>
    </message>
    <message>
        <source>a side file of an interrupted save lies beside it</source>
        <translation>neben ihr liegt eine Begleitdatei einer unterbrochenen Speicherung</translation>
    </message>
    <message>
        <source>another program changed it since it was opened</source>
        <translation>ein anderes Programm hat sie seit dem Öffnen verändert</translation>
    </message>
    <message>
        <source>it has other hard links, and its header can only grow by rewriting it</source>
        <translation>sie hat weitere harte Verknüpfungen, und ihr Dateikopf kann nur durch Neuschreiben wachsen</translation>
    </message>
    <message>
        <source>its header must grow by rewriting the file, and the copy could not keep its owner</source>
        <translation>ihr Dateikopf muss durch Neuschreiben der Datei wachsen, und die Kopie konnte ihren Eigentümer nicht behalten</translation>
    </message>
    <message>
        <source>an input/output error occurred</source>
        <translation>ein Ein-/Ausgabefehler ist aufgetreten</translation>
    </message>
    <message>
        <source>there is not enough memory</source>
        <translation>der Arbeitsspeicher reicht nicht aus</translation>
    </message>
</context>
<context>
    <name>Quillmark::TPictureView</name>
    <message>
        <source>Decoding...</source>
        <translation>Wird dekodiert...</translation>
    </message>
    <message>
        <source>This picture of %1 x %2 pixels is too large to show. It is stored as it is.</source>
        <translation>Dieses Bild mit %1 × %2 Pixeln ist zu groß für die Anzeige. Es wird unverändert gespeichert.</translation>
    </message>
    <message>
        <source>Picture of %1 x %2 pixels</source>
        <translation>Bild mit %1 × %2 Pixeln</translation>
    </message>
</context>
<context>
    <name>Quillmark::TVideoTask</name>
    <message>
        <source>Unknown error</source>
        <translation>Unbekannter Fehler</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Cancelling...</source>
        <translation>Wird abgebrochen...</translation>
    </message>
</context>
<context>
    <name>TAboutForm</name>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>All rights reserved.</source>
        <translation>Alle Rechte vorbehalten.</translation>
    </message>
    <message>
        <source>Warning: this program is protected by copyright law and international treaties. Reproducing or distributing it, or any part of it, without permission may result in severe civil and criminal penalties.</source>
        <translation>Warnung: Dieses Programm ist durch Urheberrecht und internationale Verträge geschützt. Wer es oder Teile davon ohne Erlaubnis vervielfältigt oder verbreitet, muss mit schweren zivil- und strafrechtlichen Folgen rechnen.</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>S&amp;chließen</translation>
    </message>
</context>
<context>
    <name>TMainForm</name>
    <message>
        <source>Stereo</source>
        <translation>Stereo</translation>
    </message>
    <message>
        <source>Stereoscopic Metadata</source>
        <translation>Stereoskopische Metadaten</translation>
    </message>
    <message>
        <source>File contains stereoscopic content</source>
        <translation>Datei enthält stereoskopische Inhalte</translation>
    </message>
    <message>
        <source>Half horizontal resolution</source>
        <translation>Halbe horizontale Auflösung</translation>
    </message>
    <message>
        <source>Half vertical resolution</source>
        <translation>Halbe vertikale Auflösung</translation>
    </message>
    <message>
        <source>Stereoscopic layout:</source>
        <translation>Stereoanordnung:</translation>
    </message>
    <message>
        <source>Stereoscopic layout</source>
        <translation>Stereoskopische Anordnung</translation>
    </message>
    <message>
        <source>Side by Side, Right Image First</source>
        <translation>Nebeneinander, rechtes Bild zuerst</translation>
    </message>
    <message>
        <source>Side by Side, Left Image First</source>
        <translation>Nebeneinander, linkes Bild zuerst</translation>
    </message>
    <message>
        <source>Over/Under, Right Image Top</source>
        <translation>Übereinander, rechtes Bild oben</translation>
    </message>
    <message>
        <source>Over/Under, Left Image Top</source>
        <translation>Übereinander, linkes Bild oben</translation>
    </message>
    <message>
        <source>Dual Stream</source>
        <translation>Zwei Datenströme</translation>
    </message>
    <message>
        <source>Multi Stream</source>
        <translation>Mehrere Datenströme</translation>
    </message>
    <message>
        <source>Monoscopic</source>
        <translation>Monoskopisch</translation>
    </message>
    <message>
        <source>2D intro duration:</source>
        <translation>2D-Vorspann:</translation>
    </message>
    <message>
        <source>2D intro duration in seconds</source>
        <translation>Dauer des 2D-Vorspanns in Sekunden</translation>
    </message>
    <message>
        <source>seconds</source>
        <translation>Sekunden</translation>
    </message>
    <message>
        <source>Parallax correction:</source>
        <translation>Parallaxe:</translation>
    </message>
    <message>
        <source>Parallax correction in pixels</source>
        <translation>Parallaxenkorrektur in Pixeln</translation>
    </message>
    <message>
        <source>pixels</source>
        <translation>Pixel</translation>
    </message>
    <message>
        <source>Metadata for Lumivex</source>
        <translation>Metadaten für Lumivex</translation>
    </message>
    <message>
        <source>Source:</source>
        <translation>Quelle:</translation>
    </message>
    <message>
        <source>Source</source>
        <translation>Quelle</translation>
    </message>
    <message>
        <source>Preview image:</source>
        <translation>Vorschaubild:</translation>
    </message>
    <message>
        <source>Preview image</source>
        <translation>Vorschaubild</translation>
    </message>
    <message>
        <source>No image available</source>
        <translation>Kein Bild vorhanden</translation>
    </message>
    <message>
        <source>Load preview image...</source>
        <translation>Vorschaubild laden...</translation>
    </message>
    <message>
        <source>&amp;Load...</source>
        <translation>&amp;Laden...</translation>
    </message>
    <message>
        <source>Delete preview image</source>
        <translation>Vorschaubild entfernen</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>&amp;Entfernen</translation>
    </message>
    <message>
        <source>General</source>
        <translation>Allgemein</translation>
    </message>
    <message>
        <source>Title:</source>
        <translation>Titel:</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>Author:</source>
        <translation>Autor:</translation>
    </message>
    <message>
        <source>Author</source>
        <translation>Autor</translation>
    </message>
    <message>
        <source>Copyright:</source>
        <translation>Urheberrecht:</translation>
    </message>
    <message>
        <source>Copyright</source>
        <translation>Urheberrecht</translation>
    </message>
    <message>
        <source>Description:</source>
        <translation>Beschreibung:</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Beschreibung</translation>
    </message>
    <message>
        <source>Movie Disk</source>
        <translation>Film-Disc</translation>
    </message>
    <message>
        <source>These attributes are only required for stereoscopic movie disks.</source>
        <translation>Diese Angaben werden nur für stereoskopische Film-Discs benötigt.</translation>
    </message>
    <message>
        <source>Disc name:</source>
        <translation>Disc-Name:</translation>
    </message>
    <message>
        <source>Disc name</source>
        <translation>Name der Disc</translation>
    </message>
    <message>
        <source>Title name:</source>
        <translation>Titelname:</translation>
    </message>
    <message>
        <source>Title name</source>
        <translation>Titelname</translation>
    </message>
    <message>
        <source>Title index:</source>
        <translation>Titelindex:</translation>
    </message>
    <message>
        <source>Title index</source>
        <translation>Titelindex</translation>
    </message>
    <message>
        <source>Title poster image:</source>
        <translation>Titelposter:</translation>
    </message>
    <message>
        <source>Title poster image</source>
        <translation>Titelposterbild</translation>
    </message>
    <message>
        <source>Load title poster...</source>
        <translation>Titelposter laden...</translation>
    </message>
    <message>
        <source>Delete title poster</source>
        <translation>Titelposter entfernen</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Video</source>
        <translation>&amp;Video</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;Open...</source>
        <translation>Ö&amp;ffnen...</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Speichern</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>S&amp;chließen</translation>
    </message>
    <message>
        <source>&amp;Exit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>Detect Stereo &amp;Layout</source>
        <translation>Stereo&amp;anordnung erkennen</translation>
    </message>
    <message>
        <source>Make &amp;Preview from Video...</source>
        <translation>&amp;Vorschau aus dem Video erstellen...</translation>
    </message>
    <message>
        <source>Make &amp;Title Poster from Video...</source>
        <translation>&amp;Titelposter aus dem Video erstellen...</translation>
    </message>
    <message>
        <source>Website</source>
        <translation>Webseite</translation>
    </message>
    <message>
        <source>About...</source>
        <translation>Über...</translation>
    </message>
    <message>
        <source>The title is too long to be saved. Please shorten it to %1 characters or fewer.</source>
        <translation>Der Titel ist zu lang, um gespeichert zu werden. Bitte kürzen Sie ihn auf höchstens %1 Zeichen.</translation>
    </message>
    <message>
        <source>The author is too long to be saved. Please shorten it to %1 characters or fewer.</source>
        <translation>Der Autor ist zu lang, um gespeichert zu werden. Bitte kürzen Sie ihn auf höchstens %1 Zeichen.</translation>
    </message>
    <message>
        <source>The copyright is too long to be saved. Please shorten it to %1 characters or fewer.</source>
        <translation>Der Urheberrechtsvermerk ist zu lang, um gespeichert zu werden. Bitte kürzen Sie ihn auf höchstens %1 Zeichen.</translation>
    </message>
    <message>
        <source>The description is too long to be saved. Please shorten it to %1 characters or fewer.</source>
        <translation>Die Beschreibung ist zu lang, um gespeichert zu werden. Bitte kürzen Sie sie auf höchstens %1 Zeichen.</translation>
    </message>
    <message>
        <source>The source is too long to be saved. Please shorten it to %1 characters or fewer.</source>
        <translation>Die Quelle ist zu lang, um gespeichert zu werden. Bitte kürzen Sie sie auf höchstens %1 Zeichen.</translation>
    </message>
    <message>
        <source>The disc name is too long to be saved. Please shorten it to %1 characters or fewer.</source>
        <translation>Der Name der Disc ist zu lang, um gespeichert zu werden. Bitte kürzen Sie ihn auf höchstens %1 Zeichen.</translation>
    </message>
    <message>
        <source>The title name is too long to be saved. Please shorten it to %1 characters or fewer.</source>
        <translation>Der Titelname ist zu lang, um gespeichert zu werden. Bitte kürzen Sie ihn auf höchstens %1 Zeichen.</translation>
    </message>
</context>
</TS>
