<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR">
<context>
    <name>Quillmark::ErrorDisplay</name>
    <message>
        <source>An unexpected error occurred.</source>
        <translation>Une erreur inattendue s&apos;est produite.</translation>
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
        <translation>Copyright © 2026 Les développeurs de Quillmark</translation>
    </message>
</context>
<context>
    <name>Quillmark::TFrameDialog</name>
    <message>
        <source>%1 x %2 pixels, %3 bytes</source>
        <translation>%1 × %2 pixels, %3 octets</translation>
    </message>
    <message>
        <source>Make Preview from Video</source>
        <translation>Créer l&apos;aperçu depuis la vidéo</translation>
    </message>
    <message>
        <source>Make Title Poster from Video</source>
        <translation>Créer l&apos;affiche de titre depuis la vidéo</translation>
    </message>
    <message>
        <source>Frame:</source>
        <translation>Image de la vidéo :</translation>
    </message>
    <message>
        <source>Preview:</source>
        <translation>Aperçu :</translation>
    </message>
    <message>
        <source>Title poster:</source>
        <translation>Affiche de titre :</translation>
    </message>
    <message>
        <source>Time in the video</source>
        <translation>Instant dans la vidéo</translation>
    </message>
    <message>
        <source>Frame</source>
        <translation>Image de la vidéo</translation>
    </message>
    <message>
        <source>Preview image</source>
        <translation>Image d&apos;aperçu</translation>
    </message>
    <message>
        <source>Title poster image</source>
        <translation>Image de l&apos;affiche de titre</translation>
    </message>
    <message>
        <source>Reading the frame...</source>
        <translation>Lecture de l&apos;image...</translation>
    </message>
</context>
<context>
    <name>Quillmark::TMainForm</name>
    <message>
        <source>Windows Media Files|*.wmv|All Files|*.*</source>
        <translation>Fichiers Windows Media|*.wmv|Tous les fichiers|*.*</translation>
    </message>
    <message>
        <source>JPEG Images|*.jpg;*.jpeg|All Files|*.*</source>
        <translation>Images JPEG|*.jpg;*.jpeg|Tous les fichiers|*.*</translation>
    </message>
    <message>
        <source>&amp;About %1...</source>
        <translation>À &amp;propos de %1...</translation>
    </message>
    <message>
        <source>The current file has not been saved. Do you want to save it now?</source>
        <translation>Le fichier actuel n&apos;a pas été enregistré. Voulez-vous l&apos;enregistrer maintenant ?</translation>
    </message>
    <message>
        <source>About %1</source>
        <translation>À propos de %1</translation>
    </message>
    <message>
        <source>Reading the picture...</source>
        <translation>Lecture de l&apos;image...</translation>
    </message>
    <message>
        <source>Opening the file...</source>
        <translation>Ouverture du fichier...</translation>
    </message>
    <message>
        <source>Saving the file...</source>
        <translation>Enregistrement du fichier...</translation>
    </message>
    <message>
        <source>Could not open file &apos;%1&apos;!<byte value="xd"/><byte value="xd"/>Make sure it is not opened by another application.</source>
        <translation>Impossible d&apos;ouvrir le fichier « %1 » !<byte value="xd"/><byte value="xd"/>Assurez-vous qu&apos;il n&apos;est pas ouvert par une autre application.</translation>
    </message>
    <message>
        <source>Cause: %1.</source>
        <translation>Cause : %1.</translation>
    </message>
    <message>
        <source>Could not save file &apos;%1&apos;!<byte value="xd"/><byte value="xd"/>Make sure it is not opened by another application.</source>
        <translation>Impossible d&apos;enregistrer le fichier « %1 » !<byte value="xd"/><byte value="xd"/>Assurez-vous qu&apos;il n&apos;est pas ouvert par une autre application.</translation>
    </message>
    <message>
        <source>Failed to create metadata editor!</source>
        <translation>Impossible de créer l&apos;éditeur de métadonnées !</translation>
    </message>
    <message>
        <source>Failed to read metadata!</source>
        <translation>Impossible de lire les métadonnées !</translation>
    </message>
    <message>
        <source>Could not save metadata!</source>
        <translation>Impossible d&apos;enregistrer les métadonnées !</translation>
    </message>
    <message>
        <source>Failed to reload metadata!</source>
        <translation>Impossible de recharger les métadonnées !</translation>
    </message>
    <message>
        <source>%1, half width</source>
        <translation>%1, demi-largeur</translation>
    </message>
    <message>
        <source>%1, half height</source>
        <translation>%1, demi-hauteur</translation>
    </message>
    <message>
        <source>%1, full resolution</source>
        <translation>%1, pleine résolution</translation>
    </message>
    <message>
        <source>%1%</source>
        <translation>%1 %</translation>
    </message>
    <message>
        <source>Could not read the video of &apos;%1&apos;!<byte value="xd"/><byte value="xd"/>%2</source>
        <translation>Impossible de lire la vidéo de « %1 » !<byte value="xd"/><byte value="xd"/>%2</translation>
    </message>
    <message>
        <source>Detecting the stereo layout...</source>
        <translation>Détection de la disposition stéréo...</translation>
    </message>
    <message>
        <source>The video holds two views side by side, but which eye comes first cannot be told from its frames.<byte value="xd"/><byte value="xd"/>Is the left half the left eye&apos;s view? Yes sets Side by Side, Left Image First; No sets Side by Side, Right Image First.</source>
        <translation>La vidéo contient deux vues côte à côte, mais ses images ne permettent pas de savoir quel œil vient en premier.<byte value="xd"/><byte value="xd"/>La moitié gauche est-elle la vue de l’œil gauche ? Oui choisit « Côte à côte, image gauche d’abord » ; Non choisit « Côte à côte, image droite d’abord ».</translation>
    </message>
    <message>
        <source>The video holds two views over/under, but which eye comes first cannot be told from its frames.<byte value="xd"/><byte value="xd"/>Is the top half the left eye&apos;s view? Yes sets Over/Under, Left Image Top; No sets Over/Under, Right Image Top.</source>
        <translation>La vidéo contient deux vues l’une au-dessus de l’autre, mais ses images ne permettent pas de savoir quel œil vient en premier.<byte value="xd"/><byte value="xd"/>La moitié du haut est-elle la vue de l’œil gauche ? Oui choisit « Dessus/dessous, image gauche en haut » ; Non choisit « Dessus/dessous, image droite en haut ».</translation>
    </message>
    <message>
        <source>The stereo layout could not be detected with confidence.<byte value="xd"/><byte value="xd"/>Best guess: %1 (confidence %2). Nothing was changed.</source>
        <translation>La disposition stéréo n&apos;a pas pu être détectée avec certitude.<byte value="xd"/><byte value="xd"/>Meilleure estimation : %1 (confiance %2). Rien n&apos;a été modifié.</translation>
    </message>
    <message>
        <source>Detected stereo layout: %1.<byte value="xd"/><byte value="xd"/>Confidence: %2. Check the Stereo page; nothing is saved until File &gt; Save.</source>
        <translation>Disposition stéréo détectée : %1.<byte value="xd"/><byte value="xd"/>Confiance : %2. Vérifiez la page « Stéréo » ; rien n&apos;est enregistré avant Fichier &gt; Enregistrer.</translation>
    </message>
    <message>
        <source>Reading the video...</source>
        <translation>Lecture de la vidéo...</translation>
    </message>
    <message>
        <source>No image available</source>
        <translation>Aucune image disponible</translation>
    </message>
    <message>
        <source>Please enter a valid 2D intro duration!</source>
        <translation>Veuillez saisir une durée d&apos;introduction 2D valide !</translation>
    </message>
    <message>
        <source>Please enter a valid parallax correction!</source>
        <translation>Veuillez saisir une correction de parallaxe valide !</translation>
    </message>
    <message>
        <source>Please select a stereoscopic layout!</source>
        <translation>Veuillez choisir une disposition stéréoscopique !</translation>
    </message>
    <message>
        <source>Please enter a valid title index!</source>
        <translation>Veuillez saisir un index de titre valide !</translation>
    </message>
    <message>
        <source>Could not delete %1</source>
        <translation>Impossible de supprimer %1</translation>
    </message>
    <message>
        <source>Could not open file &apos;%1&apos;!</source>
        <translation>Impossible d&apos;ouvrir le fichier « %1 » !</translation>
    </message>
    <message>
        <source>This image cannot be used as preview! Suitable images must be JPEG files smaller than 10 kB with a resolution of 160 x 120 pixels.</source>
        <translation>Cette image ne peut pas servir d&apos;aperçu ! Les images adaptées sont des fichiers JPEG de moins de 10 ko, d&apos;une résolution de 160 × 120 pixels.</translation>
    </message>
    <message>
        <source>This image cannot be used as title poster! Suitable images must be JPEG files with a minimum resolution of 480 x 480 pixels.</source>
        <translation>Cette image ne peut pas servir d&apos;affiche de titre ! Les images adaptées sont des fichiers JPEG d&apos;une résolution minimale de 480 × 480 pixels.</translation>
    </message>
    <message>
        <source>The side file %1 of %2 was cut short while being written; the file was never changed.<byte value="xd"/><byte value="xd"/>The file is shown as it is; opening it for editing removes the side file.</source>
        <translation>Le fichier annexe %1 de %2 a été interrompu pendant son écriture ; le fichier n&apos;a jamais été modifié.<byte value="xd"/><byte value="xd"/>Le fichier est affiché tel quel ; l&apos;ouvrir pour le modifier supprime le fichier annexe.</translation>
    </message>
    <message>
        <source>The side file %1 was not used: it cannot be shown to be an interrupted save of %2.<byte value="xd"/><byte value="xd"/>The file is shown as it is, and it cannot be saved until the side file is removed.</source>
        <translation>Le fichier annexe %1 n&apos;a pas été utilisé : rien ne montre qu&apos;il s&apos;agit d&apos;un enregistrement interrompu de %2.<byte value="xd"/><byte value="xd"/>Le fichier est affiché tel quel et ne peut pas être enregistré tant que le fichier annexe n&apos;est pas supprimé.</translation>
    </message>
    <message>
        <source>The side file %1 holds an interrupted save of %2.<byte value="xd"/><byte value="xd"/>The file is shown as it is; opening it for editing puts the old header back from the side file.</source>
        <translation>Le fichier annexe %1 contient un enregistrement interrompu de %2.<byte value="xd"/><byte value="xd"/>Le fichier est affiché tel quel ; l&apos;ouvrir pour le modifier rétablit l&apos;ancien en-tête depuis le fichier annexe.</translation>
    </message>
    <message>
        <source>The side file %1 holds an interrupted save of %2.<byte value="xd"/><byte value="xd"/>The file is shown as it is; the save had finished, and opening it for editing keeps it and removes the side file.</source>
        <translation>Le fichier annexe %1 contient un enregistrement interrompu de %2.<byte value="xd"/><byte value="xd"/>Le fichier est affiché tel quel ; l&apos;enregistrement était terminé, et l&apos;ouvrir pour le modifier le conserve et supprime le fichier annexe.</translation>
    </message>
    <message>
        <source>The side file %1 holds an interrupted save of %2.<byte value="xd"/><byte value="xd"/>The file is shown as it is; opening it for editing puts its header back in order.</source>
        <translation>Le fichier annexe %1 contient un enregistrement interrompu de %2.<byte value="xd"/><byte value="xd"/>Le fichier est affiché tel quel ; l&apos;ouvrir pour le modifier remet son en-tête en ordre.</translation>
    </message>
    <message>
        <source>An interrupted save of %1 was undone with its side file %2.</source>
        <translation>Un enregistrement interrompu de %1 a été annulé à l&apos;aide de son fichier annexe %2.</translation>
    </message>
    <message>
        <source>An interrupted save of %1 had finished; its side file %2 was removed.</source>
        <translation>Un enregistrement interrompu de %1 était terminé ; son fichier annexe %2 a été supprimé.</translation>
    </message>
    <message>
        <source>The unfinished side file %1 of %2 was removed; the file had not been changed.</source>
        <translation>Le fichier annexe inachevé %1 de %2 a été supprimé ; le fichier n&apos;avait pas été modifié.</translation>
    </message>
    <message>
        <source>the file was not found</source>
        <translation>le fichier est introuvable</translation>
    </message>
    <message>
        <source>permission denied</source>
        <translation>permission refusée</translation>
    </message>
    <message>
        <source>it is not a Windows Media file</source>
        <translation>ce n&apos;est pas un fichier Windows Media</translation>
    </message>
    <message>
        <source>its header is damaged</source>
        <translation>son en-tête est endommagé</translation>
    </message>
    <message>
        <source>another program holds it open</source>
        <translation>un autre programme le tient ouvert</translation>
    </message>
    <message>
        <source>the disk is full</source>
        <translation>le disque est plein</translation>
    </message>
    <message>
        <source>a side file of an interrupted save lies beside it</source>
        <translation>un fichier annexe d&apos;un enregistrement interrompu se trouve à côté</translation>
    </message>
    <message>
        <source>another program changed it since it was opened</source>
        <translation>un autre programme l&apos;a modifié depuis son ouverture</translation>
    </message>
    <message>
        <source>it has other hard links, and its header can only grow by rewriting it</source>
        <translation>il a d&apos;autres liens physiques, et son en-tête ne peut grandir qu&apos;en le réécrivant</translation>
    </message>
    <message>
        <source>its header must grow by rewriting the file, and the copy could not keep its owner</source>
        <translation>son en-tête doit grandir en réécrivant le fichier, et la copie n&apos;a pas pu conserver son propriétaire</translation>
    </message>
    <message>
        <source>an input/output error occurred</source>
        <translation>une erreur d&apos;entrée/sortie s&apos;est produite</translation>
    </message>
    <message>
        <source>there is not enough memory</source>
        <translation>la mémoire est insuffisante</translation>
    </message>
</context>
<context>
    <name>Quillmark::TPictureView</name>
    <message>
        <source>Decoding...</source>
        <translation>Décodage...</translation>
    </message>
    <message>
        <source>This picture of %1 x %2 pixels is too large to show. It is stored as it is.</source>
        <translation>Cette image de %1 × %2 pixels est trop grande pour être affichée. Elle est enregistrée telle quelle.</translation>
    </message>
    <message>
        <source>Picture of %1 x %2 pixels</source>
        <translation>Image de %1 × %2 pixels</translation>
    </message>
</context>
<context>
    <name>Quillmark::TVideoTask</name>
    <message>
        <source>Unknown error</source>
        <translation>Erreur inconnue</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Cancelling...</source>
        <translation>Annulation...</translation>
    </message>
</context>
<context>
    <name>TAboutForm</name>
    <message>
        <source>About</source>
        <translation>À propos</translation>
    </message>
    <message>
        <source>All rights reserved.</source>
        <translation>Tous droits réservés.</translation>
    </message>
    <message>
        <source>Warning: this program is protected by copyright law and international treaties. Reproducing or distributing it, or any part of it, without permission may result in severe civil and criminal penalties.</source>
        <translation>Avertissement : ce programme est protégé par la loi sur le droit d&apos;auteur et par des traités internationaux. Toute reproduction ou diffusion non autorisée de ce programme, ou d&apos;une partie de celui-ci, peut entraîner de lourdes sanctions civiles et pénales.</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Fermer</translation>
    </message>
</context>
<context>
    <name>TMainForm</name>
    <message>
        <source>Stereo</source>
        <translation>Stéréo</translation>
    </message>
    <message>
        <source>Stereoscopic Metadata</source>
        <translation>Métadonnées stéréoscopiques</translation>
    </message>
    <message>
        <source>File contains stereoscopic content</source>
        <translation>Le fichier a un contenu stéréoscopique</translation>
    </message>
    <message>
        <source>Half horizontal resolution</source>
        <translation>Demi-résolution horizontale</translation>
    </message>
    <message>
        <source>Half vertical resolution</source>
        <translation>Demi-résolution verticale</translation>
    </message>
    <message>
        <source>Stereoscopic layout:</source>
        <translation>Disposition :</translation>
    </message>
    <message>
        <source>Stereoscopic layout</source>
        <translation>Disposition stéréoscopique</translation>
    </message>
    <message>
        <source>Side by Side, Right Image First</source>
        <translation>Côte à côte, image droite en premier</translation>
    </message>
    <message>
        <source>Side by Side, Left Image First</source>
        <translation>Côte à côte, image gauche en premier</translation>
    </message>
    <message>
        <source>Over/Under, Right Image Top</source>
        <translation>Dessus/dessous, image droite en haut</translation>
    </message>
    <message>
        <source>Over/Under, Left Image Top</source>
        <translation>Dessus/dessous, image gauche en haut</translation>
    </message>
    <message>
        <source>Dual Stream</source>
        <translation>Double flux</translation>
    </message>
    <message>
        <source>Multi Stream</source>
        <translation>Flux multiples</translation>
    </message>
    <message>
        <source>Monoscopic</source>
        <translation>Monoscopique</translation>
    </message>
    <message>
        <source>2D intro duration:</source>
        <translation>Intro 2D :</translation>
    </message>
    <message>
        <source>2D intro duration in seconds</source>
        <translation>Durée de l&apos;introduction 2D en secondes</translation>
    </message>
    <message>
        <source>seconds</source>
        <translation>secondes</translation>
    </message>
    <message>
        <source>Parallax correction:</source>
        <translation>Parallaxe :</translation>
    </message>
    <message>
        <source>Parallax correction in pixels</source>
        <translation>Correction de parallaxe en pixels</translation>
    </message>
    <message>
        <source>pixels</source>
        <translation>pixels</translation>
    </message>
    <message>
        <source>Metadata for Lumivex</source>
        <translation>Métadonnées pour Lumivex</translation>
    </message>
    <message>
        <source>Source:</source>
        <translation>Source :</translation>
    </message>
    <message>
        <source>Source</source>
        <translation>Source</translation>
    </message>
    <message>
        <source>Preview image:</source>
        <translation>Aperçu :</translation>
    </message>
    <message>
        <source>Preview image</source>
        <translation>Image d&apos;aperçu</translation>
    </message>
    <message>
        <source>No image available</source>
        <translation>Aucune image disponible</translation>
    </message>
    <message>
        <source>Load preview image...</source>
        <translation>Charger l&apos;image d&apos;aperçu...</translation>
    </message>
    <message>
        <source>&amp;Load...</source>
        <translation>&amp;Charger...</translation>
    </message>
    <message>
        <source>Delete preview image</source>
        <translation>Supprimer l&apos;image d&apos;aperçu</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>&amp;Supprimer</translation>
    </message>
    <message>
        <source>General</source>
        <translation>Général</translation>
    </message>
    <message>
        <source>Title:</source>
        <translation>Titre :</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Titre</translation>
    </message>
    <message>
        <source>Author:</source>
        <translation>Auteur :</translation>
    </message>
    <message>
        <source>Author</source>
        <translation>Auteur</translation>
    </message>
    <message>
        <source>Copyright:</source>
        <translation>Droit d&apos;auteur :</translation>
    </message>
    <message>
        <source>Copyright</source>
        <translation>Droit d&apos;auteur</translation>
    </message>
    <message>
        <source>Description:</source>
        <translation>Description :</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>Movie Disk</source>
        <translation>Disque de film</translation>
    </message>
    <message>
        <source>These attributes are only required for stereoscopic movie disks.</source>
        <translation>Ces attributs ne servent que pour les disques de films stéréoscopiques.</translation>
    </message>
    <message>
        <source>Disc name:</source>
        <translation>Disque :</translation>
    </message>
    <message>
        <source>Disc name</source>
        <translation>Nom du disque</translation>
    </message>
    <message>
        <source>Title name:</source>
        <translation>Titre :</translation>
    </message>
    <message>
        <source>Title name</source>
        <translation>Nom du titre</translation>
    </message>
    <message>
        <source>Title index:</source>
        <translation>Index :</translation>
    </message>
    <message>
        <source>Title index</source>
        <translation>Index du titre</translation>
    </message>
    <message>
        <source>Title poster image:</source>
        <translation>Affiche de titre :</translation>
    </message>
    <message>
        <source>Title poster image</source>
        <translation>Image de l&apos;affiche de titre</translation>
    </message>
    <message>
        <source>Load title poster...</source>
        <translation>Charger l&apos;affiche de titre...</translation>
    </message>
    <message>
        <source>Delete title poster</source>
        <translation>Supprimer l&apos;affiche de titre</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Fichier</translation>
    </message>
    <message>
        <source>&amp;Video</source>
        <translation>&amp;Vidéo</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Aide</translation>
    </message>
    <message>
        <source>&amp;Open...</source>
        <translation>&amp;Ouvrir...</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Enregistrer</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Fermer</translation>
    </message>
    <message>
        <source>&amp;Exit</source>
        <translation>&amp;Quitter</translation>
    </message>
    <message>
        <source>Detect Stereo &amp;Layout</source>
        <translation>Détecter la &amp;disposition stéréo</translation>
    </message>
    <message>
        <source>Make &amp;Preview from Video...</source>
        <translation>Créer l&apos;&amp;aperçu depuis la vidéo...</translation>
    </message>
    <message>
        <source>Make &amp;Title Poster from Video...</source>
        <translation>Créer l&apos;affiche de &amp;titre depuis la vidéo...</translation>
    </message>
    <message>
        <source>Website</source>
        <translation>Site web</translation>
    </message>
    <message>
        <source>About...</source>
        <translation>À propos...</translation>
    </message>
    <message>
        <source>The title is too long to be saved. Please shorten it to %1 characters or fewer.</source>
        <translation>Le titre est trop long pour être enregistré. Veuillez le raccourcir à %1 caractères au plus.</translation>
    </message>
    <message>
        <source>The author is too long to be saved. Please shorten it to %1 characters or fewer.</source>
        <translation>L&apos;auteur est trop long pour être enregistré. Veuillez le raccourcir à %1 caractères au plus.</translation>
    </message>
    <message>
        <source>The copyright is too long to be saved. Please shorten it to %1 characters or fewer.</source>
        <translation>La mention de copyright est trop longue pour être enregistrée. Veuillez la raccourcir à %1 caractères au plus.</translation>
    </message>
    <message>
        <source>The description is too long to be saved. Please shorten it to %1 characters or fewer.</source>
        <translation>La description est trop longue pour être enregistrée. Veuillez la raccourcir à %1 caractères au plus.</translation>
    </message>
    <message>
        <source>The source is too long to be saved. Please shorten it to %1 characters or fewer.</source>
        <translation>La source est trop longue pour être enregistrée. Veuillez la raccourcir à %1 caractères au plus.</translation>
    </message>
    <message>
        <source>The disc name is too long to be saved. Please shorten it to %1 characters or fewer.</source>
        <translation>Le nom du disque est trop long pour être enregistré. Veuillez le raccourcir à %1 caractères au plus.</translation>
    </message>
    <message>
        <source>The title name is too long to be saved. Please shorten it to %1 characters or fewer.</source>
        <translation>Le nom du titre est trop long pour être enregistré. Veuillez le raccourcir à %1 caractères au plus.</translation>
    </message>
</context>
</TS>
